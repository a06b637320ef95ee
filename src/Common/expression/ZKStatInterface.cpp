#include "Common/expression/ZKStatInterface.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

void ZKStatInterface::Destroy(ZKStatInterface* stat) {
    if (stat == nullptr) return;
    switch (stat->Type()) {
        case kMin:
            delete static_cast<ZKStatMin*>(stat);
            break;
        case kMax:
            delete static_cast<ZKStatMax*>(stat);
            break;
        case kAvg:
            delete static_cast<ZKStatAvg*>(stat);
            break;
        case kStdDev:
            delete static_cast<ZKStatStdDev*>(stat);
            break;
        default:
            delete static_cast<ZKStatLineFit*>(stat);
            break;
    }
}

ZKStatInterface* ZKStatInterface::Create(const std::string& typeName) {
    if (typeName == "MIN") return new ZKStatMin;
    if (typeName == "MAX") return new ZKStatMax;
    if (typeName == "AVG") return new ZKStatAvg;
    if (typeName == "STDDEV") return new ZKStatStdDev;
    if (typeName == "LINEFIT") return new ZKStatLineFit;
    return nullptr;
}

// The empty minimum and maximum are the extreme finite doubles; a value still there reads as undefined.
void ZKStatMin::Reset() {
    min_ = DBL_MAX;
}

bool ZKStatMin::Update(double, double value) {
    if (value < min_) min_ = value;
    return true;
}

bool ZKStatMin::Value(int, double& value) const {
    if (min_ == DBL_MAX) return false;
    value = min_;
    return true;
}

void ZKStatMax::Reset() {
    max_ = -DBL_MAX;
}

bool ZKStatMax::Update(double, double value) {
    if (value > max_) max_ = value;
    return true;
}

bool ZKStatMax::Value(int, double& value) const {
    if (max_ == -DBL_MAX) return false;
    value = max_;
    return true;
}

void ZKStatAvg::Reset() {
    weightSum_ = 0.0;
    sum_ = 0.0;
}

bool ZKStatAvg::Update(double weight, double value) {
    sum_ += value * weight;
    weightSum_ += weight;
    return true;
}

bool ZKStatAvg::Value(int, double& value) const {
    if (weightSum_ <= 0.0) return false;
    value = sum_ / weightSum_;
    return true;
}

void ZKStatStdDev::Reset() {
    weightSum_ = 0.0;
    sum_ = 0.0;
    squareSum_ = 0.0;
}

bool ZKStatStdDev::Update(double weight, double value) {
    weightSum_ += weight;
    sum_ += value * weight;
    squareSum_ += value * value * weight;
    return true;
}

bool ZKStatStdDev::Value(int index, double& value) const {
    if (weightSum_ <= 0.0) return false;
    const double mean = sum_ / weightSum_;
    // Rounding can leave a tiny negative variance for constant inputs.
    const double variance = std::max(0.0, (squareSum_ - mean * mean * weightSum_) / weightSum_);
    const double deviation = std::sqrt(variance);
    if (index == 1) {
        if (mean == 0.0) return false;
        value = deviation * 100.0 / mean;
        return true;
    }
    value = deviation;
    return true;
}

void ZKStatLineFit::Reset() {
    count_ = 0;
    sumX_ = sumY_ = sumXX_ = sumYY_ = sumXY_ = 0.0;
}

bool ZKStatLineFit::UpdateXY(double, double x, double y) {
    ++count_;
    sumX_ += x;
    sumY_ += y;
    sumXX_ += x * x;
    sumYY_ += y * y;
    sumXY_ += x * y;
    return true;
}

bool ZKStatLineFit::Value(int index, double& value) const {
    const double n = count_;
    const double d = n * sumXX_ - sumX_ * sumX_;
    if (d == 0.0) return false;
    if (index == 0) {
        value = (n * sumXY_ - sumX_ * sumY_) / d;
    } else if (index == 1) {
        value = (sumY_ * sumXX_ - sumX_ * sumXY_) / d;
    } else {
        const double spread = (sumXX_ - sumX_ * sumX_ / n) * (sumYY_ - sumY_ * sumY_ / n);
        if (!(spread > 0.0)) return false;
        value = (sumXY_ - sumX_ * sumY_ / n) / std::sqrt(spread);
    }
    return true;
}

const char* ZKStatLineFit::ValueName(int index) const {
    if (index == 1) return "LF:C";
    if (index == 2) return "LF:CC";
    return "LF:M";
}
