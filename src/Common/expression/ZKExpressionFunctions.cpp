#include "Common/expression/ZKExpressionFunctions.h"

#include <cstdio>

#include "Common/expression/ZKExpressionFunctionTable.h"
#include "Common/expression/ZKExpressionFunctionsV1.h"
#include "Common/expression/ZKExpressionHost.h"
#include "Common/expression/ZKExpressionStatefulFunctions.h"
#include "Common/expression/ZKStatInterface.h"

// ---- history and bases ----------------------------------------------------------------------------------

void ZKResultHistory::Require(std::size_t samples) {
    if (samples > capacity_) capacity_ = samples;
}

void ZKResultHistory::Record(double value, bool defined) {
    entries_.push_back({value, defined});
    while (entries_.size() > capacity_)
        entries_.pop_front();
}

bool ZKResultHistory::Get(std::size_t samples, double& value, bool& defined) const {
    if (samples == 0 || samples > entries_.size()) return false;
    const Entry& e = entries_[entries_.size() - samples];
    value = e.value;
    defined = e.defined;
    return true;
}

void ZKParserFunction::ResetState() {
    for (const auto& a : args_) {
        if (a) a->ResetState();
    }
}

bool ZKParserFunction::ArgsStateful() const {
    for (const auto& a : args_) {
        if (a && a->IsStateful()) return true;
    }
    return false;
}

bool ZKParserFunction::ArgsConstant(const ZKSampleContext* context) const {
    for (const auto& a : args_) {
        if (a && !a->IsConstant(context)) return false;
    }
    return true;
}

// ---- evaluation -----------------------------------------------------------------------------------------

bool ZKParserFunctionInterpolatedValue::Evaluate(const ZKSampleContext* context, double& value) {
    if (context == nullptr) return args_[0]->EvaluateFast(context, value);
    ZKSampleContext interpolated = *context;
    interpolated.interpolated = true;
    return args_[0]->EvaluateFast(&interpolated, value);
}

bool ZKParserFunctionIsDefined::Evaluate(const ZKSampleContext* context, double& value) {
    double x;
    value = args_[0]->EvaluateFast(context, x) ? 1.0 : 0.0;
    return true;
}

bool ZKParserFunctionTime::Evaluate(const ZKSampleContext* context, double& value) {
    if (context == nullptr) return false;
    value = context->time / 1e9;
    return true;
}

ZKParserFunctionInterpolate::ZKParserFunctionInterpolate(std::vector<ZKNodePtr> args, std::vector<double> xs,
                                                         std::vector<double> ys, bool extend)
    : ZKParserFunctionComplex(std::move(args)), xs_(std::move(xs)), ys_(std::move(ys)), extend_(extend) {}

bool ZKParserFunctionInterpolate::Evaluate(const ZKSampleContext* context, double& value) {
    double x;
    if (!args_[0]->EvaluateFast(context, x)) return false;
    const std::size_t last = xs_.size() - 1;
    std::size_t segment = 0;  // the points segment and segment + 1 are used
    if (x <= xs_[0]) {
        if (!extend_) return value = ys_[0], true;
    } else if (x >= xs_[last]) {
        if (!extend_) return value = ys_[last], true;
        segment = last - 1;
    } else {
        while (x > xs_[segment + 1])
            ++segment;
    }
    const double x0 = xs_[segment], x1 = xs_[segment + 1];
    const double y0 = ys_[segment], y1 = ys_[segment + 1];
    value = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
    return true;
}

ZKParserFunctionLookup::ZKParserFunctionLookup(std::vector<ZKNodePtr> args, std::vector<double> values)
    : ZKParserFunctionComplex(std::move(args)), values_(std::move(values)) {}

bool ZKParserFunctionLookup::Evaluate(const ZKSampleContext* context, double& value) {
    double x;
    if (!args_[0]->EvaluateFast(context, x)) return false;
    const std::int64_t i = ZKToInteger(x);
    if (i < 0 || i >= static_cast<std::int64_t>(values_.size())) return false;
    value = values_[static_cast<std::size_t>(i)];
    return true;
}

bool ZKParserFunctionBrkLookup::Evaluate(const ZKSampleContext* context, double& value) {
    double x;
    if (!args_[0]->EvaluateFast(context, x)) return false;
    const ZKVariable& points = static_cast<ZKParserVariableHolder&>(*args_[1]).Variable();
    ZKVariable& fractionVar = static_cast<ZKParserVariableHolder&>(*args_[2]).Variable();
    const std::size_t count = points.ElementCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (!points.defined[i]) return false;
    }
    std::size_t index = 0;
    double fraction = 0.0;
    if (x >= points.values[count - 1]) {
        index = count - 2;
        fraction = 1.0;
    } else if (x > points.values[0]) {
        while (x >= points.values[index + 1])
            ++index;
        fraction = (x - points.values[index]) / (points.values[index + 1] - points.values[index]);
    }
    fractionVar.Set(0, fraction, true);
    value = static_cast<double>(index);
    return true;
}

bool ZKParserFunctionIf::Evaluate(const ZKSampleContext* context, double& value) {
    double c;
    if (!args_[0]->EvaluateFast(context, c)) return false;
    if (c != 0.0) return args_[1]->EvaluateFast(context, value);
    if (args_.size() == 2) return value = 0.0, true;
    return args_[2]->EvaluateFast(context, value);
}

bool ZKParserFunctionIfV1Base::Evaluate(const ZKSampleContext* context, double& value) {
    if (!IsStateful()) return ZKParserFunctionIf::Evaluate(context, value);
    double c;
    const bool defined = args_[0]->EvaluateFast(context, c);
    double discarded;
    if (!defined || c == 0.0) args_[1]->EvaluateFast(context, discarded);
    if (!defined || c != 0.0) args_[2]->EvaluateFast(context, discarded);
    if (!defined) return false;
    return args_[c != 0.0 ? 1 : 2]->EvaluateFast(context, value);
}

bool ZKParserFunctionFastestLapSession::Evaluate(const ZKSampleContext*, double& value) {
    return host_->FastestLapSession(value);
}

bool ZKParserFunctionFastestLap::Evaluate(const ZKSampleContext* context, double& value) {
    double session;
    if (!args_[0]->EvaluateFast(context, session)) return false;
    return host_->FastestLap(static_cast<int>(ZKToInteger(session)), value);
}

bool ZKParserFunctionGetLap::Evaluate(const ZKSampleContext* context, double& value) {
    if (context == nullptr) return false;
    return host_->CurrentLap(*context, value);
}

bool ZKParserFunctionGetBeaconTimes::Evaluate(const ZKSampleContext* context, double& value) {
    double lap;
    if (!args_[0]->EvaluateFast(context, lap)) return false;
    double start = 0.0, end = 0.0;
    if (!host_->BeaconTimes(static_cast<int>(ZKToInteger(lap)), start, end)) return false;
    static_cast<ZKParserVariableHolder&>(*args_[1]).Variable().Set(0, start, true);
    static_cast<ZKParserVariableHolder&>(*args_[2]).Variable().Set(0, end, true);
    value = 1.0;
    return true;
}

bool ZKParserFunctionItemValueAt::Evaluate(const ZKSampleContext* context, double& value) {
    double seconds;
    if (!args_[1]->EvaluateFast(context, seconds)) return false;
    const int item = static_cast<ZKParserItemHolder&>(*args_[0]).Item();
    return host_->ItemValueAt(item, seconds * 1e9, value);
}

bool ZKParserFunctionReportData::Evaluate(const ZKSampleContext* context, double& value) {
    double x, y, v;
    if (!args_[0]->EvaluateFast(context, x) || !args_[1]->EvaluateFast(context, y) ||
        !args_[2]->EvaluateFast(context, v)) {
        return false;
    }
    if (!host_->ReportData(static_cast<int>(ZKToInteger(x)), static_cast<int>(ZKToInteger(y)), v))
        return false;
    value = v;
    return true;
}

bool ZKParserFunctionReportText::Evaluate(const ZKSampleContext* context, double& value) {
    double position;
    if (!args_[0]->EvaluateFast(context, position)) return false;
    std::vector<double> values;
    for (std::size_t i = 2; i < args_.size(); ++i) {
        double v;
        if (!args_[i]->EvaluateFast(context, v)) return false;
        values.push_back(v);
    }
    const int at = static_cast<int>(ZKToInteger(position));
    const std::string text = ZKFormatReportText(format_, values);
    if (!(top_ ? host_->ReportTop(at, text) : host_->ReportLeft(at, text))) return false;
    value = 0.0;
    return true;
}

bool ZKParserFunctionStatReset::Evaluate(const ZKSampleContext*, double& value) {
    stat_->Reset();
    value = 0.0;
    return true;
}

bool ZKParserFunctionStatUpdate::Evaluate(const ZKSampleContext* context, double& value) {
    if (context == nullptr) return false;
    double a;
    if (!args_[1]->EvaluateFast(context, a)) return false;
    bool made = false;
    if (args_.size() == 3) {
        double b;
        if (!args_[2]->EvaluateFast(context, b)) return false;
        made = stat_->UpdateXY(1.0, a, b);
    } else {
        made = stat_->Update(context->interval, a);
    }
    if (!made) return false;
    value = 0.0;
    return true;
}

bool ZKParserFunctionStatValue::Evaluate(const ZKSampleContext* context, double& value) {
    double index;
    if (!args_[1]->EvaluateFast(context, index)) return false;
    return stat_->Value(static_cast<int>(ZKToInteger(index)), value);
}

std::string ZKFormatReportText(const std::string& format, const std::vector<double>& values) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        std::size_t end = i + 1;
        while (end < format.size() &&
               std::string_view("-+ #0123456789.").find(format[end]) != std::string::npos) {
            ++end;
        }
        if (end >= format.size()) {
            out.append(format, i, std::string::npos);
            break;
        }
        const char type = format[end];
        std::string conversion = format.substr(i, end - i);
        if (type == '%') {
            out += '%';
        } else if (std::string_view("dixXfeEgG").find(type) == std::string::npos || next >= values.size() ||
                   conversion.size() > 6) {
            out.append(format, i, end - i + 1);
        } else {
            char buffer[512];
            const double v = values[next++];
            if (type == 'd' || type == 'i' || type == 'x' || type == 'X') {
                conversion += "ll";
                conversion += type;
                std::snprintf(buffer, sizeof buffer, conversion.c_str(),
                              static_cast<long long>(ZKToInteger(v)));
            } else {
                conversion += type;
                std::snprintf(buffer, sizeof buffer, conversion.c_str(), v);
            }
            out += buffer;
        }
        i = end;
    }
    return out;
}
