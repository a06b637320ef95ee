// ZKCreateFunction: argument checks and construction of the function nodes of both language versions.
// The argument counts come from the function table; each function adds its own checks.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Common/expression/ZKExpressionFunctionTable.h"
#include "Common/expression/ZKExpressionFunctions.h"
#include "Common/expression/ZKExpressionFunctionsV1.h"
#include "Common/expression/ZKExpressionHost.h"
#include "Common/expression/ZKExpressionStatefulFunctions.h"
#include "Common/expression/ZKStatInterface.h"

namespace {

using Args = std::vector<ZKNodePtr>;

// The version 1 class of T is TZKFunctionV1<T>.
template <class T, class... Extra>
ZKNodePtr Make(int version, Args args, Extra&&... extra) {
    if (version == 1)
        return std::make_unique<TZKFunctionV1<T>>(std::move(args), std::forward<Extra>(extra)...);
    return std::make_unique<T>(std::move(args), std::forward<Extra>(extra)...);
}

bool ConstantValue(const ZKNodePtr& node, double& value) {
    return node && node->IsConstant(nullptr) && node->Evaluate(nullptr, value);
}

std::string Numbered(const char* pattern, int number) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, pattern, number);
    return buffer;
}

class Factory {
public:
    Factory(int version, Args& args, const std::vector<std::string>& texts, const ZKFunctionSite& site,
            std::string& error)
        : version_(version), args_(args), texts_(texts), site_(site), error_(error) {}

    ZKNodePtr Create(int id);

private:
    // How a function is built once its argument count fits the function table.
    struct Builder {
        int id;
        const char* arityMessage;  // when the count does not fit
        bool version2Only;         // version 1 knows no such function
        ZKNodePtr (Factory::*build)(int id);
    };
    static const Builder* FindBuilder(int id);

    std::size_t Count() const { return args_.size(); }
    ZKNodePtr Fail(const std::string& message) {
        error_ = message;
        return nullptr;
    }
    template <class T>
    ZKNodePtr Plain(int) {
        return Make<T>(version_, std::move(args_));
    }
    template <class T>
    ZKNodePtr WithHost(int) {
        return Make<T>(version_, std::move(args_), site_.host);
    }
    ZKNodePtr Previous(int);
    ZKNodePtr PreviousX(int);
    ZKNodePtr RunWindow(int id);
    ZKNodePtr Interpolate(int id);
    ZKNodePtr Lookup(int);
    ZKNodePtr BrkLookup(int);
    ZKNodePtr CTime(int);
    ZKNodePtr FastestLap(int);
    ZKNodePtr GetBeaconTimes(int);
    ZKNodePtr ItemValueAt(int);
    ZKNodePtr If(int);
    ZKNodePtr ReportData(int);
    ZKNodePtr ReportText(int id);
    ZKNodePtr StatCall(int id);

    static const Builder kBuilders[];

    int version_;
    Args& args_;
    const std::vector<std::string>& texts_;
    const ZKFunctionSite& site_;
    std::string& error_;
};

const Factory::Builder Factory::kBuilders[] = {
    {kFnFloor, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionFloor>},
    {kFnCeil, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionCeil>},
    {kFnRound, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionRound>},
    {kFnSin, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionSin>},
    {kFnCos, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionCos>},
    {kFnTan, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionTan>},
    {kFnArcSin, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionArcSin>},
    {kFnArcCos, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionArcCos>},
    {kFnArcTan, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionArcTan>},
    {kFnAbs, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionAbs>},
    {kFnSign, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionSign>},
    {kFnExp, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionExp>},
    {kFnLog, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionLog>},
    {kFnSqrt, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionSqrt>},
    {kFnDuration, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionDuration>},
    {kFnInterpolatedValue, "must have 1 parameter", false,
     &Factory::Plain<ZKParserFunctionInterpolatedValue>},
    {kFnIsDefined, "must have 1 parameter", false, &Factory::Plain<ZKParserFunctionIsDefined>},
    {kFnPrevious, "previous takes 1 or 2 parameters\n", false, &Factory::Previous},
    {kFnPreviousX, "previousx takes 2 or 3 parameters\n", false, &Factory::PreviousX},
    {kFnPow, "pow takes 2 parameters\n", false, &Factory::Plain<ZKParserFunctionPow>},
    {kFnFMod, "fmod takes 2 parameters\n", false, &Factory::Plain<ZKParserFunctionFMod>},
    {kFnMin, "min takes a minimum of 2 parameters\n", false, &Factory::Plain<ZKParserFunctionMin>},
    {kFnMax, "max takes a minimum of 2 parameters\n", false, &Factory::Plain<ZKParserFunctionMax>},
    {kFnRunAvg, "runavg takes 2 or 3 parameters\n", false, &Factory::RunWindow},
    {kFnRunMin, "runmin takes 2 or 3 parameters\n", false, &Factory::RunWindow},
    {kFnRunMax, "runmax takes 2 or 3 parameters\n", false, &Factory::RunWindow},
    {kFnFilter, "filter takes 2 parameters\n", false, &Factory::Plain<ZKParserFunctionFilter>},
    {kFnNFilter, "nfilter takes 2 parameters\n", false, &Factory::Plain<ZKParserFunctionNFilter>},
    {kFnCFilter, "cfilter takes 3 parameters\n", false, &Factory::Plain<ZKParserFunctionCFilter>},
    {kFnCFilter2, "cfilter2 takes 5 parameters\n", false, &Factory::Plain<ZKParserFunctionCFilter2>},
    {kFnDerivative, "derivative takes 1 parameter\n", false, &Factory::Plain<ZKParserFunctionDerivative>},
    {kFnIntegral, "integral takes 1 or 2 parameters\n", false, &Factory::Plain<ZKParserFunctionIntegral>},
    {kFnTime, "time takes no parameters\n", false, &Factory::Plain<ZKParserFunctionTime>},
    {kFnUndefined, "undefined takes no parameters\n", false, &Factory::Plain<ZKParserFunctionUndefined>},
    {kFnLapTime, "laptime takes 0, 1 or 2 parameters\n", false, &Factory::WithHost<ZKParserFunctionLapTime>},
    {kFnFastestLapSession, "FastestLapSession takes no parameters\n", false,
     &Factory::WithHost<ZKParserFunctionFastestLapSession>},
    {kFnFastestLap, "fastestlap takes 1 parameters\n", false, &Factory::FastestLap},
    {kFnCTime, "ctime takes 0, 1 or 2 parameters\n", false, &Factory::CTime},
    {kFnInterpolate, "interpolate must have at least 5 params\n", false, &Factory::Interpolate},
    {kFnExtrapolate, "extrapolate must have at least 5 params\n", false, &Factory::Interpolate},
    {kFnLookup, "lookup must have at least 3 params\n", false, &Factory::Lookup},
    {kFnBrkLookup, "lookupidx must have at 3 params\n", false, &Factory::BrkLookup},
    {kFnGetLap, "getlap does not have any params\n", false, &Factory::WithHost<ZKParserFunctionGetLap>},
    {kFnGetBeaconTimes, "getbeacontimes must have 3 params\n", false, &Factory::GetBeaconTimes},
    {kFnItemValueAt, "itemvalueat must have 2 params\n", false, &Factory::ItemValueAt},
    {kFnIf, "if must have 2 or 3 params\n", false, &Factory::If},
    {kFnReportData, "report must have 3 params\n", true, &Factory::ReportData},
    {kFnReportLeft, "reportLeft must have at least 2 params\n", true, &Factory::ReportText},
    {kFnReportTop, "reportTop must have at least 2 params\n", true, &Factory::ReportText},
    {kFnStatReset, "statReset must have 1 params\n", true, &Factory::StatCall},
    {kFnStatUpdate, "statUpdate must have 2 or 3 params\n", true, &Factory::StatCall},
    {kFnStatValue, "statGet must have 2 params\n", true, &Factory::StatCall},
};

const Factory::Builder* Factory::FindBuilder(int id) {
    for (const auto& builder : kBuilders) {
        if (builder.id == id) return &builder;
    }
    return nullptr;
}

// previous() keeps the history as far back as its largest count, so counts are clipped to this.
constexpr double kMaxPreviousSamples = 100000.0;

ZKNodePtr Factory::Previous(int) {
    double initial = 0.0, samples = 1.0;
    if (!ConstantValue(args_[0], initial))
        return Fail("Param #1 (initial value) of previous is not a user constant\n");
    if (Count() == 2 && !ConstantValue(args_[1], samples)) {
        return Fail("Param #2 (sample count) of previous is not a constant\n");
    }
    // A count below 1 reads the last sample.
    const auto n = static_cast<std::size_t>(std::clamp(std::trunc(samples), 1.0, kMaxPreviousSamples));
    site_.history->Require(n);
    return Make<ZKParserFunctionPrevious>(version_, std::move(args_), site_.history, initial, n);
}

ZKNodePtr Factory::PreviousX(int) {
    double initial = 0.0, samples = 1.0;
    if (!ConstantValue(args_[1], initial))
        return Fail("Param #2 (initial value) of previousx is not constant\n");
    if (Count() == 3) {
        if (!ConstantValue(args_[2], samples))
            return Fail("Param #3 (sample count) of previous is not constant\n");
        if (!(samples >= 1.0 && samples < 501.0))
            return Fail("Param #3 (sample count) of previous must be 1..500\n");
    }
    return Make<ZKParserFunctionPreviousX>(version_, std::move(args_), initial,
                                           static_cast<std::size_t>(samples));
}

ZKNodePtr Factory::RunWindow(int id) {
    const std::string name = id == kFnRunAvg ? "runavg" : (id == kFnRunMin ? "runmin" : "runmax");
    double max = 0.0;
    if (!ConstantValue(args_[1], max)) return Fail("Param #2 of " + name + " is not a user constant\n");
    if (!(max >= 1.0 && max <= 500.0)) {
        return Fail("Param #2 of " + name + " must be a user constant between 1 and 500\n");
    }
    if (id == kFnRunAvg) return Make<ZKParserFunctionRunAvg>(version_, std::move(args_));
    if (id == kFnRunMin) return Make<ZKParserFunctionRunMin>(version_, std::move(args_));
    return Make<ZKParserFunctionRunMax>(version_, std::move(args_));
}

ZKNodePtr Factory::Interpolate(int id) {
    const bool extend = id == kFnExtrapolate;
    const std::string name = extend ? "extrapolate" : "interpolate";
    if (Count() % 2 == 0) return Fail(name + " must have an odd number of params\n");
    std::vector<double> xs, ys;
    for (std::size_t i = 1; i < Count(); ++i) {
        double v;
        if (!ConstantValue(args_[i], v)) {
            return Fail(Numbered(
                ("Param #%d of " + name + " is not a constant\nAll the [x,y] points must be constant")
                    .c_str(),
                static_cast<int>(i + 1)));
        }
        if (i % 2 == 1) {
            if (!xs.empty() && !(v > xs.back()))
                return Fail("Each subsequest X value must be greater than the last");
            xs.push_back(v);
        } else {
            ys.push_back(v);
        }
    }
    args_.resize(1);
    if (extend)
        return Make<ZKParserFunctionExtrapolate>(version_, std::move(args_), std::move(xs), std::move(ys));
    return Make<ZKParserFunctionInterpolate>(version_, std::move(args_), std::move(xs), std::move(ys), false);
}

ZKNodePtr Factory::Lookup(int) {
    std::vector<double> values;
    for (std::size_t i = 1; i < Count(); ++i) {
        double v;
        if (!ConstantValue(args_[i], v))
            return Fail(Numbered("Param #%d of lookup is not a constant\n", static_cast<int>(i + 1)));
        values.push_back(v);
    }
    args_.resize(1);
    return Make<ZKParserFunctionLookup>(version_, std::move(args_), std::move(values));
}

ZKNodePtr Factory::BrkLookup(int) {
    auto* points = dynamic_cast<ZKParserVariableHolder*>(args_[1].get());
    if (points == nullptr) return Fail("Param #2 of lookup must be a variable\n");
    if (points->HasIndices()) return Fail("Param #2 - only variable expected\n");
    const ZKVariable& p = points->Variable();
    if (p.dimensions.size() != 1)
        return Fail("Param #2 of lookup must be a single dimensional array variable\n");
    if (p.ElementCount() < 2)
        return Fail("Param #2 of lookup must be an array variable of at least 2 element2\n");
    for (std::size_t i = 1; i < p.ElementCount(); ++i) {
        if (!(p.values[i] > p.values[i - 1])) {
            return Fail("Param #2 of lookup must be an array variable whose values monotonically increase\n");
        }
    }
    auto* fraction = dynamic_cast<ZKParserVariableHolder*>(args_[2].get());
    if (fraction == nullptr) return Fail("Param #3 of lookup must be a variable\n");
    if (!fraction->Variable().dimensions.empty() || fraction->HasIndices()) {
        return Fail("Param #3 of lookup must be a single point variable\n");
    }
    if (fraction->Variable().isConst) return Fail("Param #3 of lookup must NOT be CONST\n");
    return Make<ZKParserFunctionBrkLookup>(version_, std::move(args_));
}

ZKNodePtr Factory::CTime(int) {
    double v;
    if (Count() == 1 && !ConstantValue(args_[0], v))
        return Fail("Param #1 (lap) of ctime is not a constant\n");
    if (Count() == 2) {
        if (!ConstantValue(args_[0], v)) return Fail("Param #1 (session) of ctime is not a constant\n");
        if (!ConstantValue(args_[1], v)) return Fail("Param #2 (lap) of ctime is not a constant\n");
    }
    if (!site_.host->HasDistanceChannel()) return Fail("function \"ctime\" not available\n");
    return Make<ZKParserFunctionCTime>(version_, std::move(args_), site_.host);
}

ZKNodePtr Factory::FastestLap(int) {
    double session;
    if (!ConstantValue(args_[0], session))
        return Fail("Param #1 (session) of fastestlap is not a constant\n");
    return Make<ZKParserFunctionFastestLap>(version_, std::move(args_), site_.host);
}

ZKNodePtr Factory::GetBeaconTimes(int) {
    for (int i = 1; i <= 2; ++i) {
        auto* v = dynamic_cast<ZKParserVariableHolder*>(args_[static_cast<std::size_t>(i)].get());
        if (v == nullptr) return Fail(Numbered("Param #%d of GetBeaconTimes must be a variable\n", i + 1));
        if (v->Variable().isConst)
            return Fail(Numbered("Param #%d of GetBeaconTimes must NOT be CONST\n", i + 1));
    }
    return Make<ZKParserFunctionGetBeaconTimes>(version_, std::move(args_), site_.host);
}

ZKNodePtr Factory::ItemValueAt(int) {
    if (dynamic_cast<ZKParserItemHolder*>(args_[0].get()) == nullptr) {
        return Fail("param #1 must be a logged item\n");
    }
    return Make<ZKParserFunctionItemValueAt>(version_, std::move(args_), site_.host);
}

ZKNodePtr Factory::If(int) {
    if (version_ == 1) return std::make_unique<ZKParserFunctionIfV1>(std::move(args_));
    return std::make_unique<ZKParserFunctionIf>(std::move(args_));
}

ZKNodePtr Factory::ReportData(int) {
    return std::make_unique<ZKParserFunctionReportData>(std::move(args_), site_.host);
}

ZKNodePtr Factory::ReportText(int id) {
    const std::string& text = texts_[1];
    if (args_[1] != nullptr || text.size() < 2 || text.front() != '"' || text.back() != '"') {
        return Fail("param #2 : format string expected\n");
    }
    std::string format = text.substr(1, text.size() - 2);
    return std::make_unique<ZKParserFunctionReportText>(std::move(args_), site_.host, std::move(format),
                                                        id == kFnReportTop);
}

ZKNodePtr Factory::StatCall(int id) {
    auto* holder = dynamic_cast<ZKParserStatHolder*>(args_[0].get());
    if (holder == nullptr) return Fail("param #1 : stat name expected\n");
    ZKStatInterface* stat = holder->Stat();
    if (id == kFnStatReset) return std::make_unique<ZKParserFunctionStatReset>(std::move(args_), stat);
    if (id == kFnStatValue) return std::make_unique<ZKParserFunctionStatValue>(std::move(args_), stat);
    const bool pair = Count() == 3;
    if (pair != (stat->Type() == ZKStatInterface::kLineFit)) {
        // A line fit takes pairs only; the others take single values only.
        return Fail(pair ? "statUpdate : only LINEFIT supports 3 params\n"
                         : "statUpdate must have 2 or 3 params\n");
    }
    return std::make_unique<ZKParserFunctionStatUpdate>(std::move(args_), stat);
}

// The checks every function shares, in order: every argument parsed, the function known in this language
// version, an argument count that the function table allows; then the function's own checks.
ZKNodePtr Factory::Create(int id) {
    for (std::size_t i = 0; i < Count(); ++i) {
        // Only the format texts of reportLeft and reportTop may stay unparsed.
        if (args_[i] == nullptr && !((id == kFnReportLeft || id == kFnReportTop) && i == 1)) {
            return Fail("Function parameter not found");
        }
    }
    const Builder* builder = FindBuilder(id);
    if (builder == nullptr || (builder->version2Only && version_ == 1)) return Fail("UNKNOWN FUNCTION");
    ZKFunctionArity arity = ZKFunctionArityOf(id);
    const char* arityMessage = builder->arityMessage;
    if (id == kFnIf && version_ == 1) {
        // Version 1 has no two-argument form.
        arity.min = 3;
        arityMessage = "if must have 3 params\n";
    }
    if (!arity.Accepts(Count())) return Fail(arityMessage);
    return (this->*builder->build)(id);
}

}  // namespace

ZKNodePtr ZKCreateFunction(int id, int version, std::vector<ZKNodePtr> args,
                           const std::vector<std::string>& argTexts, const ZKFunctionSite& site,
                           std::string& error) {
    Factory factory(version, args, argTexts, site, error);
    return factory.Create(id);
}
