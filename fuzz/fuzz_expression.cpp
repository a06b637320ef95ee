// Compiles arbitrary text as an expression and evaluates it over a few samples.

#include <cstddef>
#include <cstdint>
#include <string>

#include "Common/expression/ZKExpression.h"
#include "Common/expression/ZKExpressionHost.h"

namespace {

// Knows one item and one math channel, so that those paths are reached too.
class FuzzHost : public ZKExpressionHost {
public:
    int FindItem(std::string_view name, const std::string*) override { return name == "speed" ? 0 : -1; }
    bool ItemValue(int, const ZKSampleContext& context, double& value) override {
        value = context.time / 1e7;
        return true;
    }
    bool FindMathChannel(std::string_view name, std::string& source) override {
        if (name == "twice") return source = "speed * 2", true;
        if (name == "self") return source = "self + 1", true;
        return false;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzHost host;
    ZKExpression expression;
    const std::string source(reinterpret_cast<const char*>(data), size);
    if (!expression.Compile(source, &host)) return 0;
    for (int sample = 0; sample < 4; ++sample) {
        ZKSampleContext context{sample * 1e7, 1e7, false};
        double value = 0.0;
        expression.Evaluate(context, value);
    }
    expression.Reset();
    ZKSampleContext context{5e7, 1e7, false};
    double value = 0.0;
    expression.Evaluate(context, value);
    return 0;
}
