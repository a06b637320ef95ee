#pragma once
// Runs an expression over a short series of inputs: the input variable x (declared by the source) is
// written before each sample; NaN in the series stands for an undefined input. Results are printed with
// %.10g, "undefined" for undefined results.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Common/expression/ZKExpression.h"

inline std::vector<std::string> Series(const std::string& source, const std::vector<double>& inputs,
                                       double intervalNs = 1e7) {
    ZKExpression e;
    if (!e.Compile(source)) return {"error: " + e.ErrorMessage()};
    ZKVariable* x = e.FindVariable("x");
    std::vector<std::string> results;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (x != nullptr) x->Set(0, inputs[i], !std::isnan(inputs[i]));
        ZKSampleContext context{static_cast<double>(i) * intervalNs, intervalNs, false};
        double v = 0.0;
        if (!e.Evaluate(context, v)) {
            results.push_back("undefined");
            continue;
        }
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.10g", v);
        results.push_back(buffer);
    }
    return results;
}

inline std::string Once(const std::string& source) {
    const auto r = Series(source, {0.0});
    return r.front();
}

using Results = std::vector<std::string>;
constexpr double kUndef = NAN;
