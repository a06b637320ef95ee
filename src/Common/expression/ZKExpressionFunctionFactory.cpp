// ZKCreateFunction: argument checks and construction of the function nodes of both language versions.

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
    std::size_t Count() const { return args_.size(); }
    ZKNodePtr Fail(const std::string& message) {
        error_ = message;
        return nullptr;
    }
    ZKNodePtr Simple(int id);
    ZKNodePtr Previous();
    ZKNodePtr PreviousX();
    ZKNodePtr RunWindow(int id);
    ZKNodePtr Interpolate(bool extend);
    ZKNodePtr Lookup();
    ZKNodePtr BrkLookup();
    ZKNodePtr LapTime(bool ctime);
    ZKNodePtr GetBeaconTimes();
    ZKNodePtr Report(int id);
    ZKNodePtr StatCall(int id);

    int version_;
    Args& args_;
    const std::vector<std::string>& texts_;
    const ZKFunctionSite& site_;
    std::string& error_;
};

ZKNodePtr Factory::Simple(int id) {
    if (Count() != 1) return Fail("must have 1 parameter");
    Args& a = args_;
    switch (id) {
        case kFnFloor:
            return Make<ZKParserFunctionFloor>(version_, std::move(a));
        case kFnCeil:
            return Make<ZKParserFunctionCeil>(version_, std::move(a));
        case kFnRound:
            return Make<ZKParserFunctionRound>(version_, std::move(a));
        case kFnSin:
            return Make<ZKParserFunctionSin>(version_, std::move(a));
        case kFnCos:
            return Make<ZKParserFunctionCos>(version_, std::move(a));
        case kFnTan:
            return Make<ZKParserFunctionTan>(version_, std::move(a));
        case kFnArcSin:
            return Make<ZKParserFunctionArcSin>(version_, std::move(a));
        case kFnArcCos:
            return Make<ZKParserFunctionArcCos>(version_, std::move(a));
        case kFnArcTan:
            return Make<ZKParserFunctionArcTan>(version_, std::move(a));
        case kFnAbs:
            return Make<ZKParserFunctionAbs>(version_, std::move(a));
        case kFnSign:
            return Make<ZKParserFunctionSign>(version_, std::move(a));
        case kFnExp:
            return Make<ZKParserFunctionExp>(version_, std::move(a));
        case kFnLog:
            return Make<ZKParserFunctionLog>(version_, std::move(a));
        case kFnSqrt:
            return Make<ZKParserFunctionSqrt>(version_, std::move(a));
        case kFnDuration:
            return Make<ZKParserFunctionDuration>(version_, std::move(a));
        case kFnInterpolatedValue:
            return Make<ZKParserFunctionInterpolatedValue>(version_, std::move(a));
        default:
            return Make<ZKParserFunctionIsDefined>(version_, std::move(a));
    }
}

// previous() keeps the history as far back as its largest count, so counts are clipped to this.
constexpr double kMaxPreviousSamples = 100000.0;

ZKNodePtr Factory::Previous() {
    if (Count() < 1 || Count() > 2) return Fail("previous takes 1 or 2 parameters\n");
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

ZKNodePtr Factory::PreviousX() {
    if (Count() < 2 || Count() > 3) return Fail("previousx takes 2 or 3 parameters\n");
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
    if (Count() < 2 || Count() > 3) return Fail(name + " takes 2 or 3 parameters\n");
    double max = 0.0;
    if (!ConstantValue(args_[1], max)) return Fail("Param #2 of " + name + " is not a user constant\n");
    if (!(max >= 1.0 && max <= 500.0)) {
        return Fail("Param #2 of " + name + " must be a user constant between 1 and 500\n");
    }
    if (id == kFnRunAvg) return Make<ZKParserFunctionRunAvg>(version_, std::move(args_));
    if (id == kFnRunMin) return Make<ZKParserFunctionRunMin>(version_, std::move(args_));
    return Make<ZKParserFunctionRunMax>(version_, std::move(args_));
}

ZKNodePtr Factory::Interpolate(bool extend) {
    const std::string name = extend ? "extrapolate" : "interpolate";
    if (Count() < 5) return Fail(name + " must have at least 5 params\n");
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

ZKNodePtr Factory::Lookup() {
    if (Count() < 3) return Fail("lookup must have at least 3 params\n");
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

ZKNodePtr Factory::BrkLookup() {
    if (Count() != 3) return Fail("lookupidx must have at 3 params\n");
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

ZKNodePtr Factory::LapTime(bool ctime) {
    if (!ctime) {
        if (Count() > 2) return Fail("laptime takes 0, 1 or 2 parameters\n");
        return Make<ZKParserFunctionLapTime>(version_, std::move(args_), site_.host);
    }
    if (Count() > 2) return Fail("ctime takes 0, 1 or 2 parameters\n");
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

ZKNodePtr Factory::GetBeaconTimes() {
    if (Count() != 3) return Fail("getbeacontimes must have 3 params\n");
    for (int i = 1; i <= 2; ++i) {
        auto* v = dynamic_cast<ZKParserVariableHolder*>(args_[static_cast<std::size_t>(i)].get());
        if (v == nullptr) return Fail(Numbered("Param #%d of GetBeaconTimes must be a variable\n", i + 1));
        if (v->Variable().isConst)
            return Fail(Numbered("Param #%d of GetBeaconTimes must NOT be CONST\n", i + 1));
    }
    return Make<ZKParserFunctionGetBeaconTimes>(version_, std::move(args_), site_.host);
}

ZKNodePtr Factory::Report(int id) {
    if (version_ == 1) return Fail("UNKNOWN FUNCTION");
    if (id == kFnReportData) {
        if (Count() != 3) return Fail("report must have 3 params\n");
        return std::make_unique<ZKParserFunctionReportData>(std::move(args_), site_.host);
    }
    const bool top = id == kFnReportTop;
    if (Count() < 2)
        return Fail(top ? "reportTop must have at least 2 params\n"
                        : "reportLeft must have at least 2 params\n");
    const std::string& text = texts_[1];
    if (args_[1] != nullptr || text.size() < 2 || text.front() != '"' || text.back() != '"') {
        return Fail("param #2 : format string expected\n");
    }
    std::string format = text.substr(1, text.size() - 2);
    return std::make_unique<ZKParserFunctionReportText>(std::move(args_), site_.host, std::move(format), top);
}

ZKNodePtr Factory::StatCall(int id) {
    if (version_ == 1) return Fail("UNKNOWN FUNCTION");
    if (id == kFnStatReset && Count() != 1) return Fail("statReset must have 1 params\n");
    if (id == kFnStatUpdate && Count() != 2 && Count() != 3)
        return Fail("statUpdate must have 2 or 3 params\n");
    if (id == kFnStatValue && Count() != 2) return Fail("statGet must have 2 params\n");
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

ZKNodePtr Factory::Create(int id) {
    for (std::size_t i = 0; i < Count(); ++i) {
        // Only the format texts of reportLeft and reportTop may stay unparsed.
        if (args_[i] == nullptr && !((id == kFnReportLeft || id == kFnReportTop) && i == 1)) {
            return Fail("Function parameter not found");
        }
    }
    switch (id) {
        case kFnPrevious:
            return Previous();
        case kFnPreviousX:
            return PreviousX();
        case kFnPow:
        case kFnFMod:
            if (Count() != 2)
                return Fail(id == kFnPow ? "pow takes 2 parameters\n" : "fmod takes 2 parameters\n");
            if (id == kFnPow) return Make<ZKParserFunctionPow>(version_, std::move(args_));
            return Make<ZKParserFunctionFMod>(version_, std::move(args_));
        case kFnMin:
        case kFnMax:
            if (Count() < 2) {
                return Fail(id == kFnMin ? "min takes a minimum of 2 parameters\n"
                                         : "max takes a minimum of 2 parameters\n");
            }
            if (id == kFnMin) return Make<ZKParserFunctionMin>(version_, std::move(args_));
            return Make<ZKParserFunctionMax>(version_, std::move(args_));
        case kFnRunAvg:
        case kFnRunMin:
        case kFnRunMax:
            return RunWindow(id);
        case kFnFilter:
            if (Count() != 2) return Fail("filter takes 2 parameters\n");
            return Make<ZKParserFunctionFilter>(version_, std::move(args_));
        case kFnNFilter:
            if (Count() != 2) return Fail("nfilter takes 2 parameters\n");
            return Make<ZKParserFunctionNFilter>(version_, std::move(args_));
        case kFnCFilter:
            if (Count() != 3) return Fail("cfilter takes 3 parameters\n");
            return Make<ZKParserFunctionCFilter>(version_, std::move(args_));
        case kFnCFilter2:
            if (Count() != 5) return Fail("cfilter2 takes 5 parameters\n");
            return Make<ZKParserFunctionCFilter2>(version_, std::move(args_));
        case kFnDerivative:
            if (Count() != 1) return Fail("derivative takes 1 parameter\n");
            return Make<ZKParserFunctionDerivative>(version_, std::move(args_));
        case kFnIntegral:
            if (Count() < 1 || Count() > 2) return Fail("integral takes 1 or 2 parameters\n");
            return Make<ZKParserFunctionIntegral>(version_, std::move(args_));
        case kFnTime:
            if (Count() != 0) return Fail("time takes no parameters\n");
            return Make<ZKParserFunctionTime>(version_, std::move(args_));
        case kFnUndefined:
            if (Count() != 0) return Fail("undefined takes no parameters\n");
            return Make<ZKParserFunctionUndefined>(version_, std::move(args_));
        case kFnLapTime:
            return LapTime(false);
        case kFnCTime:
            return LapTime(true);
        case kFnFastestLapSession:
            if (Count() != 0) return Fail("FastestLapSession takes no parameters\n");
            return Make<ZKParserFunctionFastestLapSession>(version_, std::move(args_), site_.host);
        case kFnFastestLap: {
            if (Count() != 1) return Fail("fastestlap takes 1 parameters\n");
            double session;
            if (!ConstantValue(args_[0], session))
                return Fail("Param #1 (session) of fastestlap is not a constant\n");
            return Make<ZKParserFunctionFastestLap>(version_, std::move(args_), site_.host);
        }
        case kFnInterpolate:
            return Interpolate(false);
        case kFnExtrapolate:
            return Interpolate(true);
        case kFnLookup:
            return Lookup();
        case kFnBrkLookup:
            return BrkLookup();
        case kFnGetLap:
            if (Count() != 0) return Fail("getlap does not have any params\n");
            return Make<ZKParserFunctionGetLap>(version_, std::move(args_), site_.host);
        case kFnGetBeaconTimes:
            return GetBeaconTimes();
        case kFnItemValueAt:
            if (Count() != 2) return Fail("itemvalueat must have 2 params\n");
            if (dynamic_cast<ZKParserItemHolder*>(args_[0].get()) == nullptr) {
                return Fail("param #1 must be a logged item\n");
            }
            return Make<ZKParserFunctionItemValueAt>(version_, std::move(args_), site_.host);
        case kFnIf:
            if (version_ == 1) {
                if (Count() != 3) return Fail("if must have 3 params\n");
                return std::make_unique<ZKParserFunctionIfV1>(std::move(args_));
            }
            if (Count() != 2 && Count() != 3) return Fail("if must have 2 or 3 params\n");
            return std::make_unique<ZKParserFunctionIf>(std::move(args_));
        case kFnReportData:
        case kFnReportLeft:
        case kFnReportTop:
            return Report(id);
        case kFnStatReset:
        case kFnStatUpdate:
        case kFnStatValue:
            return StatCall(id);
        case kFnFloor:
        case kFnCeil:
        case kFnRound:
        case kFnSin:
        case kFnCos:
        case kFnTan:
        case kFnArcSin:
        case kFnArcCos:
        case kFnArcTan:
        case kFnAbs:
        case kFnSign:
        case kFnExp:
        case kFnLog:
        case kFnSqrt:
        case kFnDuration:
        case kFnInterpolatedValue:
        case kFnIsDefined:
            return Simple(id);
        default:
            return Fail("UNKNOWN FUNCTION");
    }
}

}  // namespace

ZKNodePtr ZKCreateFunction(int id, int version, std::vector<ZKNodePtr> args,
                           const std::vector<std::string>& argTexts, const ZKFunctionSite& site,
                           std::string& error) {
    Factory factory(version, args, argTexts, site, error);
    return factory.Create(id);
}
