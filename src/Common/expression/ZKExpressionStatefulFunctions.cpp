#include "Common/expression/ZKExpressionStatefulFunctions.h"

#include <algorithm>

#include "Common/expression/ZKExpressionHost.h"

bool ZKParserFunctionDuration::Evaluate(const ZKSampleContext* context, double& value) {
    if (reset_) {
        reset_ = false;
        running_ = false;
    }
    double x;
    if (!args_[0]->EvaluateFast(context, x) || context == nullptr) return false;
    if (x == 0.0) {
        running_ = false;
        value = 0.0;
        return true;
    }
    if (!running_) {
        running_ = true;
        start_ = context->time;
    }
    value = (context->time - start_) / 1e9;
    return true;
}

bool ZKParserFunctionPrevious::Evaluate(const ZKSampleContext*, double& value) {
    reset_ = false;
    double past = 0.0;
    bool defined = true;
    if (!history_->Get(samples_, past, defined)) {
        value = initial_;
        return true;
    }
    if (defined) value = past;
    return defined;
}

bool ZKParserFunctionPreviousX::Evaluate(const ZKSampleContext* context, double& value) {
    if (reset_) {
        reset_ = false;
        past_.Clear();
        past_.Require(samples_);
    }
    double past = 0.0;
    bool pastDefined = true;
    const bool available = past_.Get(samples_, past, pastDefined);
    double x = 0.0;
    const bool defined = args_[0]->EvaluateFast(context, x);
    past_.Push(x, defined);
    if (!available) {
        value = initial_;
        return true;
    }
    if (pastDefined) value = past;
    return pastDefined;
}

bool ZKParserFunctionRunWindow::Extreme(std::size_t count, double& value) const {
    double best = stored_[stored_.size() - count];
    for (std::size_t i = stored_.size() - count + 1; i < stored_.size(); ++i) {
        best = kind_ == kMin ? std::min(best, stored_[i]) : std::max(best, stored_[i]);
    }
    value = best;
    return true;
}

ZKParserFunctionRunWindow::ZKParserFunctionRunWindow(std::vector<ZKNodePtr> args, Kind kind)
    : ZKParserFunctionStateful(std::move(args)), kind_(kind) {
    // Constant limits evaluate the same every sample, without side effects.
    bool constant = true;
    for (std::size_t i = 1; i < args_.size(); ++i)
        constant = constant && args_[i]->IsConstant(nullptr);
    std::size_t max = 0, n = 0;
    if (constant && Limits(nullptr, max, n)) {
        fixedMax_ = max;
        fixedWindow_ = n;
    }
}

bool ZKParserFunctionRunWindow::Limits(const ZKSampleContext* context, std::size_t& max, std::size_t& n) {
    if (fixedWindow_ != 0) {
        max = fixedMax_;
        n = fixedWindow_;
        return true;
    }
    double maxValue, nValue;
    if (!args_[1]->EvaluateFast(context, maxValue)) return false;
    nValue = maxValue;
    if (args_.size() == 3 && !args_[2]->EvaluateFast(context, nValue)) return false;
    max = static_cast<std::size_t>(std::clamp(ZKToInteger(maxValue), std::int64_t{1}, std::int64_t{500}));
    n = static_cast<std::size_t>(
        std::clamp(ZKToInteger(nValue), std::int64_t{0}, static_cast<std::int64_t>(max)));
    if (n == 0) n = 1;
    return true;
}

bool ZKParserFunctionRunWindow::Evaluate(const ZKSampleContext* context, double& value) {
    if (reset_) {
        // A reset starts the window over; stored values from before it are not kept.
        reset_ = false;
        stored_.clear();
        sum_ = 0.0;
        window_ = 0;
    }
    double x = 0.0;
    const bool defined = args_[0]->EvaluateFast(context, x);
    std::size_t max, n;
    if (!Limits(context, max, n)) return false;

    if (!defined) {
        // An undefined input shrinks the window: the oldest value leaves, and leaves the sum when it
        // was inside the window.
        if (stored_.empty()) return false;
        if (stored_.size() <= window_) sum_ -= stored_.front();
        stored_.pop_front();
        return WindowResult(window_, value);
    }
    if (n == window_) {
        const double leaving = stored_.size() >= n ? stored_[stored_.size() - n] : 0.0;
        if (stored_.size() >= max) stored_.pop_front();
        stored_.push_back(x);
        sum_ = sum_ - leaving + x;
    } else {
        if (stored_.size() >= max) stored_.pop_front();
        stored_.push_back(x);
        const std::size_t count = std::min(n, stored_.size());
        sum_ = 0.0;
        for (std::size_t i = stored_.size() - count; i < stored_.size(); ++i)
            sum_ += stored_[i];
        window_ = n;
    }
    return WindowResult(n, value);
}

bool ZKParserFunctionFilter::Evaluate(const ZKSampleContext* context, double& value) {
    double x, f;
    if (!args_[0]->EvaluateFast(context, x) || !args_[1]->EvaluateFast(context, f)) return false;
    if (reset_) {
        reset_ = false;
        previous_ = x;
    } else {
        f = std::clamp(f, 0.0, 1.0);
        previous_ = previous_ + (1.0 - f) * (x - previous_);
    }
    value = previous_;
    return true;
}

bool ZKParserFunctionNFilter::Evaluate(const ZKSampleContext* context, double& value) {
    double x, delta;
    if (!args_[0]->EvaluateFast(context, x) || !args_[1]->EvaluateFast(context, delta)) return false;
    if (reset_ || std::abs(x - previous_) <= delta) {
        reset_ = false;
        previous_ = x;
    }
    value = previous_;
    return true;
}

bool ZKParserFunctionCFilter::Evaluate(const ZKSampleContext* context, double& value) {
    const bool hasRange = args_.size() == 5;
    double condition, x, f;
    if (!args_[0]->EvaluateFast(context, condition) || !args_[1]->EvaluateFast(context, x)) return false;
    bool takeIn = condition != 0.0;
    if (hasRange) {
        double low, high;
        if (!args_[2]->EvaluateFast(context, low) || !args_[3]->EvaluateFast(context, high)) return false;
        takeIn = takeIn && x >= low && x <= high;
    }
    if (!args_[hasRange ? 4 : 2]->EvaluateFast(context, f)) return false;
    if (!takeIn) {
        value = reset_ ? x : previous_;
        return true;
    }
    if (reset_) {
        reset_ = false;
        previous_ = x;
    } else {
        f = std::clamp(f, 0.0, 1.0);
        previous_ = previous_ + (1.0 - f) * (x - previous_);
    }
    value = previous_;
    return true;
}

bool ZKParserFunctionDerivative::Evaluate(const ZKSampleContext* context, double& value) {
    if (context == nullptr) return false;
    ZKSampleContext interpolated = *context;
    interpolated.interpolated = true;
    double x;
    if (!args_[0]->EvaluateFast(&interpolated, x)) {
        reset_ = true;  // the next defined sample starts over
        return false;
    }
    const bool first = reset_;
    const double previous = previous_;
    const double interval = interval_;
    reset_ = false;
    previous_ = x;
    interval_ = context->interval;
    if (first || !(interval > 0.0)) return false;
    value = (x - previous) * 1e9 / interval;
    return true;
}

bool ZKParserFunctionIntegral::Evaluate(const ZKSampleContext* context, double& value) {
    if (context == nullptr) return false;
    double x;
    if (!args_[0]->EvaluateFast(context, x)) return false;
    double condition = 1.0;
    if (args_.size() == 2 && !args_[1]->EvaluateFast(context, condition)) return false;
    if (reset_ || condition == 0.0) {
        reset_ = false;
        sum_ = 0.0;
    } else {
        sum_ += (previous_ + x) / 2.0 * interval_ / 1e9;
    }
    previous_ = x;
    interval_ = context->interval;
    value = sum_;
    return true;
}

bool ZKParserFunctionLapTime::SessionAndLap(const ZKSampleContext* context, int& session, int& lap) {
    session = -1;
    lap = -1;
    double v;
    if (args_.size() == 1) {
        if (!args_[0]->EvaluateFast(context, v)) return false;
        // laptime(session) but ctime(lap).
        (dynamic_cast<ZKParserFunctionCTime*>(this) != nullptr ? lap : session) =
            static_cast<int>(ZKToInteger(v));
    } else if (args_.size() == 2) {
        if (!args_[0]->EvaluateFast(context, v)) return false;
        session = static_cast<int>(ZKToInteger(v));
        if (!args_[1]->EvaluateFast(context, v)) return false;
        lap = static_cast<int>(ZKToInteger(v));
    }
    return true;
}

bool ZKParserFunctionLapTime::Evaluate(const ZKSampleContext* context, double& value) {
    reset_ = false;
    int session, lap;
    if (context == nullptr || !SessionAndLap(context, session, lap)) return false;
    return host_->LapTime(*context, session, lap, value);
}

bool ZKParserFunctionCTime::Evaluate(const ZKSampleContext* context, double& value) {
    reset_ = false;
    int session, lap;
    if (context == nullptr || !SessionAndLap(context, session, lap)) return false;
    return host_->CompareTime(*context, session, lap, value);
}
