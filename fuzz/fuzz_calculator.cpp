// The evaluator and the calculator: any display ends with a value, "Error" or the
// invalid-character message, and a value is always a number.
#include "FuzzSupport.h"
#include "calc/Calculator.h"
#include "calc/CalculatorMessages.h"
#include "calc/Evaluator.h"

#include <cmath>

namespace {

class CountedMessages : public CalculatorMessages
{
public:
    void cannotEvaluate(const QString& message) override
    {
        FUZZ_CHECK(!message.isEmpty());
        ++told;
    }
    int told = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const QString places = QString::number(data.ConsumeIntegralInRange(-1, 16));
    const QString expression = FuzzSupport::text(data, 4000);
    const Result<double> value = Evaluator().evaluate(expression);
    // A number too large for a double ("1E+330") is infinite; the calculator shows "Error" then.
    FUZZ_CHECK(value.ok() ? !std::isnan(*value) : !value.error().isEmpty());

    // A few displays one after the other, as a user types them: constant mode and the last
    // result carry over from one to the next.
    Calculator calculator;
    CountedMessages messages;
    calculator.setMessages(&messages);
    calculator.setDecimalPlaces(places == QLatin1String("-1") ? QStringLiteral("-") : places);
    calculator.setDisplay(expression, int(expression.size()));
    for (int i = 0; i < 4; ++i) {
        const int toldBefore = messages.told;
        const QString display = calculator.display();
        switch (calculator.calculate()) {
        case Calculator::Outcome::Calculated:
            // Empty only for a percentage without a usable operator, which has no result.
            FUZZ_CHECK(calculator.display() != QLatin1String("Error"));
            FUZZ_CHECK(!calculator.display().isEmpty() || calculator.lastResult().isEmpty());
            break;
        case Calculator::Outcome::ConstantMode:
            break;
        case Calculator::Outcome::InvalidInput:
            FUZZ_CHECK(messages.told == toldBefore + 1 && calculator.display() == display);
            break;
        case Calculator::Outcome::Error:
            FUZZ_CHECK(calculator.display() == QLatin1String("Error"));
            break;
        }
        if (data.remaining_bytes() == 0)
            break;
        const QString next = FuzzSupport::text(data, 200);
        calculator.setDisplay(next, int(next.size()));
    }
    return 0;
}
