#pragma once

// Bounded waits for the X server, the window manager or another process: generous, as they end
// once the condition holds. Its own header, for the typing benchmark includes TargetProcess.h.
constexpr int kSlowMachineMs = 15000;
