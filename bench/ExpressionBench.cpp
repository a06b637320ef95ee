// Compile time and evaluation time per sample of a fixed set of expressions, for the expression
// language and for muparser on the same expressions. Variables a, b, c, x, y change every sample.
// Both sides bind variables once and read them in place: muparser through the pointers given to
// DefineVar, ours through the storage the host reaches with FindVariable; neither looks names up per
// sample.
//
// muparser has no functions with memory; its running average is a C callback with a 500-value window.

#include <benchmark/benchmark.h>
#include <muParser.h>

#include <array>
#include <string>
#include <vector>

#include "Common/expression/ZKExpression.h"

namespace {

struct Case {
    const char* name;
    std::string ours;
    std::string mu;
};

std::string Block(bool ours) {
    std::string text;
    for (int i = 0; i < 20; ++i) {
        const std::string step = (i % 2 == 0) ? "v = v * b + a" : "v = v - c * " + std::to_string(i);
        if (ours) {
            text += step + "; ";
        } else {
            text += (i > 0 ? ", " : "") + step;
        }
    }
    return text;
}

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"a+b*c", "a+b*c", "a+b*c"},
        {"conditionals", "a > b ? (c > 1 ? a : b) : (a < c ? c : (x > y ? x : y))",
         "a > b ? (c > 1 ? a : b) : (a < c ? c : (x > y ? x : y))"},
        {"sin*cos", "sin(x)*cos(y)", "sin(x)*cos(y)"},
        {"runavg500", "runavg(a, 500)", "runavg500(a)"},
        // Both yield the value of the last assignment: no extra read of v on our side.
        {"block20", "var(v,0); " + Block(true), Block(false)},
    };
    return cases;
}

const std::string kDeclarations = "var(a,1); var(b,2); var(c,3); var(x,0.5); var(y,0.25); ";

// The running average behind muparser's runavg500: one window for the whole benchmark.
double RunAvg500(double value) {
    static std::array<double, 500> window{};
    static std::size_t count = 0, next = 0;
    static double sum = 0.0;
    if (count == window.size())
        sum -= window[next];
    else
        ++count;
    window[next] = value;
    sum += value;
    next = (next + 1) % window.size();
    return sum / static_cast<double>(count);
}

struct MuVariables {
    double a = 1, b = 2, c = 3, x = 0.5, y = 0.25, v = 0;
};

void SetUpMu(mu::Parser& parser, MuVariables& vars, const std::string& expression) {
    parser.DefineVar("a", &vars.a);
    parser.DefineVar("b", &vars.b);
    parser.DefineVar("c", &vars.c);
    parser.DefineVar("x", &vars.x);
    parser.DefineVar("y", &vars.y);
    parser.DefineVar("v", &vars.v);
    parser.DefineFun("runavg500", RunAvg500, false);
    parser.SetExpr(expression);
}

void BM_CompileOurs(benchmark::State& state) {
    const Case& c = Cases()[static_cast<std::size_t>(state.range(0))];
    const std::string source = kDeclarations + c.ours;
    for (auto _ : state) {
        ZKExpression e;
        if (!e.Compile(source)) state.SkipWithError(e.ErrorMessage().c_str());
        benchmark::DoNotOptimize(e.HasRoot());
    }
    state.SetLabel(c.name);
}

void BM_CompileMuparser(benchmark::State& state) {
    const Case& c = Cases()[static_cast<std::size_t>(state.range(0))];
    MuVariables vars;
    for (auto _ : state) {
        mu::Parser parser;
        SetUpMu(parser, vars, c.mu);
        benchmark::DoNotOptimize(parser.Eval());  // muparser compiles on its first evaluation
    }
    state.SetLabel(c.name);
}

void BM_EvaluateOurs(benchmark::State& state) {
    const Case& c = Cases()[static_cast<std::size_t>(state.range(0))];
    ZKExpression e;
    if (!e.Compile(kDeclarations + c.ours)) {
        state.SkipWithError(e.ErrorMessage().c_str());
        return;
    }
    ZKVariable* a = e.FindVariable("a");
    ZKSampleContext context{0.0, 1e7, false};
    double value = 0.0;
    for (auto _ : state) {
        a->values[0] += 1e-6;
        context.time += 1e7;
        benchmark::DoNotOptimize(e.Evaluate(context, value));
        benchmark::DoNotOptimize(value);
    }
    state.SetLabel(c.name);
}

void BM_EvaluateMuparser(benchmark::State& state) {
    const Case& c = Cases()[static_cast<std::size_t>(state.range(0))];
    MuVariables vars;
    mu::Parser parser;
    SetUpMu(parser, vars, c.mu);
    parser.Eval();
    for (auto _ : state) {
        vars.a += 1e-6;
        benchmark::DoNotOptimize(parser.Eval());
    }
    state.SetLabel(c.name);
}

}  // namespace

BENCHMARK(BM_CompileOurs)->DenseRange(0, 4);
BENCHMARK(BM_CompileMuparser)->DenseRange(0, 4);
BENCHMARK(BM_EvaluateOurs)->DenseRange(0, 4);
BENCHMARK(BM_EvaluateMuparser)->DenseRange(0, 4);

BENCHMARK_MAIN();
