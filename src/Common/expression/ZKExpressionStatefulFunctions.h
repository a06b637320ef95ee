#pragma once
// The functions with memory. Each keeps its state from sample to sample, updates it only when it is
// evaluated, and starts over when its reset flag is set (at creation and by the host's reset).

#include <algorithm>
#include <deque>

#include "Common/expression/ZKExpressionFunctions.h"

class ZKParserFunctionStateful : public ZKParserFunctionComplex {
public:
    static constexpr bool kStateful = true;
    using ZKParserFunctionComplex::ZKParserFunctionComplex;
    bool IsStateful() const override { return true; }
    bool IsConstant(const ZKSampleContext*) const override { return false; }
    void ResetState() override {
        reset_ = true;
        ZKParserFunctionComplex::ResetState();
    }

protected:
    bool reset_ = true;
};

// Seconds since x last became non-zero; 0 while x is 0.
class ZKParserFunctionDuration : public ZKParserFunctionStateful {
public:
    using ZKParserFunctionStateful::ZKParserFunctionStateful;
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    bool running_ = false;
    double start_ = 0.0;
};

// The expression's own result `samples` ago. An undefined past result reads as undefined.
class ZKParserFunctionPrevious : public ZKParserFunctionStateful {
public:
    ZKParserFunctionPrevious(std::vector<ZKNodePtr> args, const ZKResultHistory* history, double initial,
                             std::size_t samples)
        : ZKParserFunctionStateful(std::move(args)),
          history_(history),
          initial_(initial),
          samples_(samples) {}
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    const ZKResultHistory* history_;
    double initial_;
    std::size_t samples_;
};

// x as it was `samples` ago.
class ZKParserFunctionPreviousX : public ZKParserFunctionStateful {
public:
    ZKParserFunctionPreviousX(std::vector<ZKNodePtr> args, double initial, std::size_t samples)
        : ZKParserFunctionStateful(std::move(args)), initial_(initial), samples_(samples) {}
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    double initial_;
    std::size_t samples_;
    ZKResultHistory past_;
};

// The running window shared by runavg, runmin and runmax: args are x, max [, n].
class ZKParserFunctionRunWindow : public ZKParserFunctionStateful {
public:
    enum Kind { kAvg, kMin, kMax };
    ZKParserFunctionRunWindow(std::vector<ZKNodePtr> args, Kind kind);
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    // The stored inputs, oldest first, in a ring of the largest possible window.
    class Ring {
    public:
        std::size_t size() const { return size_; }
        bool empty() const { return size_ == 0; }
        double operator[](std::size_t i) const { return buffer_[Slot(i)]; }
        double front() const { return buffer_[first_]; }
        void pop_front() {
            first_ = Slot(1);
            --size_;
        }
        void push_back(double v) {
            buffer_[Slot(size_)] = v;
            ++size_;
        }
        void clear() { first_ = size_ = 0; }

    private:
        static constexpr std::size_t kCapacity = 500;
        // Buffer index of the i-th stored value (i < kCapacity); a compare instead of a division.
        std::size_t Slot(std::size_t i) const {
            const std::size_t slot = first_ + i;
            return slot < kCapacity ? slot : slot - kCapacity;
        }
        std::vector<double> buffer_ = std::vector<double>(kCapacity);
        std::size_t first_ = 0;
        std::size_t size_ = 0;
    };

    // The storage limit and this sample's window; false when either argument is undefined.
    bool Limits(const ZKSampleContext* context, std::size_t& max, std::size_t& n);
    bool WindowResult(std::size_t n, double& value) const {
        const std::size_t count = std::min(n, stored_.size());
        if (count == 0) return false;
        if (kind_ != kAvg) return Extreme(count, value);
        value = sum_ / static_cast<double>(count);
        return true;
    }
    // The minimum or maximum of the newest count values.
    bool Extreme(std::size_t count, double& value) const;
    Kind kind_;
    // Limits of constant arguments, worked out once; 0 when they must be evaluated per sample.
    std::size_t fixedMax_ = 0;
    std::size_t fixedWindow_ = 0;
    Ring stored_;
    double sum_ = 0.0;
    std::size_t window_ = 0;  // the n the sum was made for
};

class ZKParserFunctionRunAvg : public ZKParserFunctionRunWindow {
public:
    explicit ZKParserFunctionRunAvg(std::vector<ZKNodePtr> args)
        : ZKParserFunctionRunWindow(std::move(args), kAvg) {}
};
class ZKParserFunctionRunMin : public ZKParserFunctionRunWindow {
public:
    explicit ZKParserFunctionRunMin(std::vector<ZKNodePtr> args)
        : ZKParserFunctionRunWindow(std::move(args), kMin) {}
};
class ZKParserFunctionRunMax : public ZKParserFunctionRunWindow {
public:
    explicit ZKParserFunctionRunMax(std::vector<ZKNodePtr> args)
        : ZKParserFunctionRunWindow(std::move(args), kMax) {}
};

// filter(x, f): prev + (1 - f) * (x - prev), f clipped to 0..1.
class ZKParserFunctionFilter : public ZKParserFunctionStateful {
public:
    using ZKParserFunctionStateful::ZKParserFunctionStateful;
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    double previous_ = 0.0;
};

// nfilter(x, delta): accepts x when it moved at most delta from the last accepted value.
class ZKParserFunctionNFilter : public ZKParserFunctionStateful {
public:
    using ZKParserFunctionStateful::ZKParserFunctionStateful;
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    double previous_ = 0.0;
};

// cfilter(condition, x, f) and cfilter2(condition, x, min, max, f): the filter of filter() that takes a
// sample in only while the condition is non-zero (and, for cfilter2, x lies within min..max). A sample
// not taken in leaves the filter as it is and gives its last output; before the filter has taken in
// anything that is x itself.
class ZKParserFunctionCFilter : public ZKParserFunctionStateful {
public:
    using ZKParserFunctionStateful::ZKParserFunctionStateful;
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    double previous_ = 0.0;
};

class ZKParserFunctionCFilter2 : public ZKParserFunctionCFilter {
public:
    using ZKParserFunctionCFilter::ZKParserFunctionCFilter;
};

class ZKParserFunctionDerivative : public ZKParserFunctionStateful {
public:
    using ZKParserFunctionStateful::ZKParserFunctionStateful;
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    double previous_ = 0.0;
    double interval_ = 0.0;
};

class ZKParserFunctionIntegral : public ZKParserFunctionStateful {
public:
    using ZKParserFunctionStateful::ZKParserFunctionStateful;
    bool Evaluate(const ZKSampleContext* context, double& value) override;

private:
    double sum_ = 0.0;
    double previous_ = 0.0;
    double interval_ = 0.0;
};

// Host lap data: laptime() / laptime(session) / laptime(session, lap); ctime() / ctime(lap) /
// ctime(session, lap). Missing arguments are passed to the host as -1 ("current").
class ZKParserFunctionLapTime : public ZKParserFunctionStateful {
public:
    ZKParserFunctionLapTime(std::vector<ZKNodePtr> args, ZKExpressionHost* host)
        : ZKParserFunctionStateful(std::move(args)), host_(host) {}
    bool Evaluate(const ZKSampleContext* context, double& value) override;

protected:
    bool SessionAndLap(const ZKSampleContext* context, int& session, int& lap);
    ZKExpressionHost* host_;
};

class ZKParserFunctionCTime : public ZKParserFunctionLapTime {
public:
    using ZKParserFunctionLapTime::ZKParserFunctionLapTime;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};
