#pragma once
// The function nodes of the expression language without memory, their bases, and the factory that
// builds any function node of either language version from its parsed arguments.
//
// Version 1 names are in ZKExpressionFunctionsV1.h, the functions with memory in
// ZKExpressionStatefulFunctions.h. At run time a function never fails: domain errors and missing host
// data give undefined.

#include <cmath>
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "Common/expression/ZKParserNode.h"

// The results of an expression, newest last, kept as far back as any previous() asks.
class ZKResultHistory {
public:
    void Require(std::size_t samples);
    // Records one result; nothing is kept while no previous() asks for it.
    void Push(double value, bool defined) {
        if (capacity_ != 0) Record(value, defined);
    }
    void Clear() { entries_.clear(); }
    // The result `samples` ago (1 = the last sample). False when not yet available.
    bool Get(std::size_t samples, double& value, bool& defined) const;

private:
    void Record(double value, bool defined);
    struct Entry {
        double value;
        bool defined;
    };
    std::deque<Entry> entries_;
    std::size_t capacity_ = 0;
};

// What a function node may need from the expression it belongs to.
struct ZKFunctionSite {
    ZKExpressionHost* host = nullptr;
    ZKResultHistory* history = nullptr;
};

class ZKParserFunction : public ZKParserNode {
public:
    static constexpr bool kStateful = false;
    explicit ZKParserFunction(std::vector<ZKNodePtr> args) : args_(std::move(args)) {}
    void ResetState() override;

protected:
    bool ArgsStateful() const;
    bool ArgsConstant(const ZKSampleContext* context) const;
    std::vector<ZKNodePtr> args_;
};

// Exactly one argument.
class ZKParserFunctionSimple : public ZKParserFunction {
public:
    using ZKParserFunction::ZKParserFunction;
    bool IsConstant(const ZKSampleContext* context) const override { return args_[0]->IsConstant(context); }
};

// Any number of arguments; constant when all are, except for the functions with memory.
class ZKParserFunctionComplex : public ZKParserFunction {
public:
    using ZKParserFunction::ZKParserFunction;
    bool IsConstant(const ZKSampleContext* context) const override {
        return !IsStateful() && ArgsConstant(context);
    }
};

// A one-argument function of the C library. A NaN result from a non-NaN argument is a domain error.
template <double (*Fn)(double)>
class TZKFunctionMath : public ZKParserFunctionSimple {
public:
    using ZKParserFunctionSimple::ZKParserFunctionSimple;
    bool Evaluate(const ZKSampleContext* context, double& value) override {
        double x;
        if (!args_[0]->EvaluateFast(context, x)) return false;
        const double r = Fn(x);
        if (std::isnan(r) && !std::isnan(x)) return false;
        value = r;
        return true;
    }
};

namespace zkfn {
inline double Floor(double x) {
    return std::floor(x);
}
inline double Ceil(double x) {
    return std::ceil(x);
}
inline double Round(double x) {
    return std::floor(x + 0.5);
}
inline double Sin(double x) {
    return std::sin(x);
}
inline double Cos(double x) {
    return std::cos(x);
}
inline double Tan(double x) {
    return std::tan(x);
}
inline double ArcSin(double x) {
    return std::asin(x);
}
inline double ArcCos(double x) {
    return std::acos(x);
}
inline double ArcTan(double x) {
    return std::atan(x);
}
inline double Abs(double x) {
    return std::fabs(x);
}
inline double Sign(double x) {
    return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0);
}
inline double Exp(double x) {
    return std::exp(x);
}
inline double Log(double x) {
    return std::log(x);
}
inline double Sqrt(double x) {
    return std::sqrt(x);
}
inline double Pow(double x, double y) {
    return std::pow(x, y);
}
inline double FMod(double x, double y) {
    return std::fmod(x, y);
}
}  // namespace zkfn

using ZKParserFunctionFloor = TZKFunctionMath<&zkfn::Floor>;
using ZKParserFunctionCeil = TZKFunctionMath<&zkfn::Ceil>;
using ZKParserFunctionRound = TZKFunctionMath<&zkfn::Round>;
using ZKParserFunctionSin = TZKFunctionMath<&zkfn::Sin>;
using ZKParserFunctionCos = TZKFunctionMath<&zkfn::Cos>;
using ZKParserFunctionTan = TZKFunctionMath<&zkfn::Tan>;
using ZKParserFunctionArcSin = TZKFunctionMath<&zkfn::ArcSin>;
using ZKParserFunctionArcCos = TZKFunctionMath<&zkfn::ArcCos>;
using ZKParserFunctionArcTan = TZKFunctionMath<&zkfn::ArcTan>;
using ZKParserFunctionAbs = TZKFunctionMath<&zkfn::Abs>;
using ZKParserFunctionSign = TZKFunctionMath<&zkfn::Sign>;
using ZKParserFunctionExp = TZKFunctionMath<&zkfn::Exp>;
using ZKParserFunctionLog = TZKFunctionMath<&zkfn::Log>;
using ZKParserFunctionSqrt = TZKFunctionMath<&zkfn::Sqrt>;

// pow and fmod.
template <double (*Fn)(double, double)>
class TZKFunctionMath2 : public ZKParserFunctionComplex {
public:
    using ZKParserFunctionComplex::ZKParserFunctionComplex;
    bool Evaluate(const ZKSampleContext* context, double& value) override {
        double x, y;
        if (!args_[0]->EvaluateFast(context, x) || !args_[1]->EvaluateFast(context, y)) return false;
        const double r = Fn(x, y);
        if (std::isnan(r) && !std::isnan(x) && !std::isnan(y)) return false;
        value = r;
        return true;
    }
};
using ZKParserFunctionPow = TZKFunctionMath2<&zkfn::Pow>;
using ZKParserFunctionFMod = TZKFunctionMath2<&zkfn::FMod>;

template <bool IsMin>
class TZKFunctionMinMax : public ZKParserFunctionComplex {
public:
    using ZKParserFunctionComplex::ZKParserFunctionComplex;
    bool Evaluate(const ZKSampleContext* context, double& value) override {
        double best = 0.0;
        bool defined = true;
        for (std::size_t i = 0; i < args_.size(); ++i) {
            double x;
            if (!args_[i]->EvaluateFast(context, x)) {
                defined = false;
            } else if (i == 0 || (IsMin ? x < best : x > best)) {
                best = x;
            }
        }
        if (defined) value = best;
        return defined;
    }
};
using ZKParserFunctionMin = TZKFunctionMinMax<true>;
using ZKParserFunctionMax = TZKFunctionMinMax<false>;

class ZKParserFunctionInterpolatedValue : public ZKParserFunctionSimple {
public:
    using ZKParserFunctionSimple::ZKParserFunctionSimple;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

class ZKParserFunctionIsDefined : public ZKParserFunctionSimple {
public:
    using ZKParserFunctionSimple::ZKParserFunctionSimple;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

class ZKParserFunctionTime : public ZKParserFunctionComplex {
public:
    using ZKParserFunctionComplex::ZKParserFunctionComplex;
    bool IsConstant(const ZKSampleContext*) const override { return false; }
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

class ZKParserFunctionUndefined : public ZKParserFunctionComplex {
public:
    using ZKParserFunctionComplex::ZKParserFunctionComplex;
    bool IsConstant(const ZKSampleContext*) const override { return false; }
    bool Evaluate(const ZKSampleContext*, double&) override { return false; }
};

// interpolate (Extend false) and extrapolate (Extend true) over constant points of increasing x.
// Outside the points interpolate gives the y of the nearest end point; extrapolate continues the line
// through the two end points on that side.
class ZKParserFunctionInterpolate : public ZKParserFunctionComplex {
public:
    ZKParserFunctionInterpolate(std::vector<ZKNodePtr> args, std::vector<double> xs, std::vector<double> ys,
                                bool extend);
    bool IsConstant(const ZKSampleContext* context) const override { return args_[0]->IsConstant(context); }
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    std::vector<double> xs_;
    std::vector<double> ys_;
    bool extend_;
};

class ZKParserFunctionExtrapolate : public ZKParserFunctionInterpolate {
public:
    ZKParserFunctionExtrapolate(std::vector<ZKNodePtr> args, std::vector<double> xs, std::vector<double> ys)
        : ZKParserFunctionInterpolate(std::move(args), std::move(xs), std::move(ys), true) {}
};

// The x-th constant (truncated, from 0); an index outside the values is undefined.
class ZKParserFunctionLookup : public ZKParserFunctionComplex {
public:
    ZKParserFunctionLookup(std::vector<ZKNodePtr> args, std::vector<double> values);
    bool IsConstant(const ZKSampleContext* context) const override { return args_[0]->IsConstant(context); }
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    std::vector<double> values_;
};

// Index of the breakpoint at or below x. Below the first breakpoint the answer is 0 with fraction 0,
// at or above the last it is the last-but-one with fraction 1, so index + fraction always lies on the
// breakpoint scale.
class ZKParserFunctionBrkLookup : public ZKParserFunctionComplex {
public:
    using ZKParserFunctionComplex::ZKParserFunctionComplex;
    bool IsConstant(const ZKSampleContext*) const override { return false; }
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

class ZKParserFunctionIf : public ZKParserFunctionComplex {
public:
    using ZKParserFunctionComplex::ZKParserFunctionComplex;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

// Yields 0: the version request was already met when this was compiled.
class ZKParserFunctionMathLanguageVersion : public ZKParserFunctionComplex {
public:
    ZKParserFunctionMathLanguageVersion() : ZKParserFunctionComplex(std::vector<ZKNodePtr>{}) {}
    bool Evaluate(const ZKSampleContext*, double& value) override { return value = 0.0, true; }
};

// Host-backed functions.
class ZKParserFunctionHost : public ZKParserFunctionComplex {
public:
    ZKParserFunctionHost(std::vector<ZKNodePtr> args, ZKExpressionHost* host)
        : ZKParserFunctionComplex(std::move(args)), host_(host) {}
    bool IsConstant(const ZKSampleContext*) const override { return false; }

protected:
    ZKExpressionHost* host_;
};

class ZKParserFunctionFastestLapSession : public ZKParserFunctionHost {
public:
    using ZKParserFunctionHost::ZKParserFunctionHost;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

class ZKParserFunctionFastestLap : public ZKParserFunctionHost {
public:
    using ZKParserFunctionHost::ZKParserFunctionHost;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

class ZKParserFunctionGetLap : public ZKParserFunctionHost {
public:
    using ZKParserFunctionHost::ZKParserFunctionHost;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

// Stores the lap's start and end times into the two variables; yields 1.
class ZKParserFunctionGetBeaconTimes : public ZKParserFunctionHost {
public:
    using ZKParserFunctionHost::ZKParserFunctionHost;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

class ZKParserFunctionItemValueAt : public ZKParserFunctionHost {
public:
    using ZKParserFunctionHost::ZKParserFunctionHost;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

class ZKParserFunctionReportData : public ZKParserFunctionHost {
public:
    using ZKParserFunctionHost::ZKParserFunctionHost;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

// reportLeft and reportTop: a heading from a format text; further arguments fill its conversions.
class ZKParserFunctionReportText : public ZKParserFunctionHost {
public:
    ZKParserFunctionReportText(std::vector<ZKNodePtr> args, ZKExpressionHost* host, std::string format,
                               bool top)
        : ZKParserFunctionHost(std::move(args), host), format_(std::move(format)), top_(top) {}
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    std::string format_;
    bool top_;
};
using ZKParserFunctionReportLeft = ZKParserFunctionReportText;
using ZKParserFunctionReportTop = ZKParserFunctionReportText;

// Statistic calls; the first argument is the statistic (its holder node is kept but not evaluated).
class ZKParserFunctionStatReset : public ZKParserFunctionComplex {
public:
    ZKParserFunctionStatReset(std::vector<ZKNodePtr> args, ZKStatInterface* stat)
        : ZKParserFunctionComplex(std::move(args)), stat_(stat) {}
    bool IsStateful() const override { return true; }
    bool Evaluate(const ZKSampleContext* context, double& value) override;

protected:
    ZKStatInterface* stat_;
};

class ZKParserFunctionStatUpdate : public ZKParserFunctionStatReset {
public:
    using ZKParserFunctionStatReset::ZKParserFunctionStatReset;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

class ZKParserFunctionStatValue : public ZKParserFunctionStatReset {
public:
    using ZKParserFunctionStatReset::ZKParserFunctionStatReset;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

// Builds the node of function `id` for the language version from its arguments. args[i] is null for an
// argument that was kept as raw text (the format text of reportLeft and reportTop); argTexts holds every
// argument's source text. The declarations (var, const, stat), math and MathLanguageVersion are handled
// by the compiler and never reach here. On failure returns null and sets error.
ZKNodePtr ZKCreateFunction(int id, int version, std::vector<ZKNodePtr> args,
                           const std::vector<std::string>& argTexts, const ZKFunctionSite& site,
                           std::string& error);

// Formats a report heading: each printf conversion of `format` takes the next value ("%%" is a percent
// sign); conversions without a value are copied as they are.
std::string ZKFormatReportText(const std::string& format, const std::vector<double>& values);
