#pragma once

// Bounded waits for the X server, the window manager or another process. Generous, because
// they end as soon as the condition holds and a test machine can be heavily loaded. A header
// of its own, as the typing benchmark includes TargetProcess.h without the tests' libraries.
constexpr int kSlowMachineMs = 15000;
