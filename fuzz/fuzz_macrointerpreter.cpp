// The macro interpreter: any macro ends, with one of its outcomes, and one that asks the user
// to cancel stops when told.
#include "FuzzSupport.h"
#include "macros/ClockFormats.h"
#include "macros/MacroInterpreter.h"
#include "macros/RecordingHost.h"

namespace {

// A recording host whose user cancels at the first step after a fixed number of calls, so that
// a macro repeating a billion times still ends; the interpreter must stop right there.
class PatientHost : public RecordingHost
{
public:
    static constexpr int kBudget = 20000;
    Result<> sendKeystrokes(const QString& piece) override
    {
        count();
        return RecordingHost::sendKeystrokes(piece);
    }
    StepAnswer paceStep() override { return count() ? StepAnswer::Abort : RecordingHost::paceStep(); }
    void waitMilliseconds(int milliseconds) override
    {
        count();
        RecordingHost::waitMilliseconds(milliseconds);
    }
    StepAnswer messageStep(const QString& text) override
    {
        return count() ? StepAnswer::Abort : RecordingHost::messageStep(text);
    }
    StepAnswer inputStep(const QString& prompt, const QString& defaultText) override
    {
        return count() ? StepAnswer::Abort : RecordingHost::inputStep(prompt, defaultText);
    }
    int hostCalls = 0;

private:
    bool count()
    {
        ++hostCalls;
        // Released from a pending calls list now and then: it only has to show the last ones.
        if (calls.size() > 64)
            calls.erase(calls.begin(), calls.begin() + 32);
        return hostCalls > kBudget;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    PatientHost host;
    if (data.ConsumeBool())
        host.answer = FuzzSupport::text(data, 40);
    const QString macro = FuzzSupport::remainingText(data);
    ClockFormats formats(QLocale::c(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
    const MacroOutcome outcome = MacroInterpreter::run(MacroInterpreter::playedText(macro), host, formats);
    // Past the budget, at most the piece typed before the next step and that step, refused.
    FUZZ_CHECK(host.hostCalls <= PatientHost::kBudget + 2);
    FUZZ_CHECK(outcome.kind != MacroOutcome::Kind::Error || !outcome.reason.isEmpty());
    return 0;
}
