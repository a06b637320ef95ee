#include "Common/ZKFormat.h"

#include <algorithm>
#include <cfloat>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "Platform/ZKAssert.h"

namespace {

// The two checks of this unit are reported under fixed line numbers, so that a report reads the same
// whatever this file looks like.
constexpr int kUnknownKindLine = 42;
constexpr int kTimeDecimalsLine = 275;

// Integer conversions of doubles that saturate instead of overflowing.
std::int64_t ToInt64(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 9223372036854775807.0) return INT64_MAX;
    if (v <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<std::int64_t>(v);
}

std::int32_t ToInt32(double v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(ToInt64(v), INT32_MIN, INT32_MAX));
}

// trunc(log_base |v|) + 1: the digits of the whole part. Zero gives minus "infinity" so that it never
// wins a max().
int WholeDigits(double v, double base) {
    const double a = std::fabs(v);
    if (std::isnan(a) || a == 0.0) return INT32_MIN / 2;
    if (std::isinf(a)) return 400;
    return static_cast<int>(std::trunc(std::log(a) / std::log(base))) + 1;
}

}  // namespace

// ---- ZKFormat -------------------------------------------------------------------------------------------

std::string ZKFormat::Format(double value) const {
    char buffer[512];
    Format(value, buffer, sizeof buffer);
    return buffer;
}

void ZKFormat::Fill(char* buffer, std::size_t size, char c, std::size_t count) const {
    if (size == 0) return;
    const std::size_t n = std::min(count, size - 1);
    std::fill(buffer, buffer + n, c);
    buffer[n] = '\0';
}

void ZKFormat::Assign(std::unique_ptr<ZKFormat>& target, const ZKFormat* source) {
    if (source == nullptr) {
        target.reset();
        return;
    }
    if (!target || target->kind_ != source->kind_) {
        target = source->Clone();
        return;
    }
    switch (source->kind_) {
        case kReal:
        case kTime:
        case kEnum:
            target->CopyFrom(*source);
            break;
        default:
            zk::ReportAssertion(__FILE__, kUnknownKindLine, "unknown format kind");
            break;
    }
}

// ---- ZKFormatReal ---------------------------------------------------------------------------------------

ZKFormatReal::ZKFormatReal(const ZKLimits& limits, std::uint32_t decimals, std::uint32_t radix)
    : ZKFormat(limits, kReal), decimals_(decimals), radix_(radix) {
    if (radix == 16) {
        // At least one and at most 16 hexadecimal digits.
        const int n =
            std::clamp(std::max(WholeDigits(limits.high, 16.0), WholeDigits(limits.low, 16.0)), 1, 16);
        const double bound = std::pow(16.0, n);
        limits_ = ZKLimits(-bound, bound);
        decimals_ = 0;
        width_ = static_cast<std::uint32_t>(n);
        std::snprintf(pattern_, sizeof pattern_, "%%0%dXh", n);
        return;
    }
    // Any radix other than 16 is shown in decimal; at least one digit before the point.
    radix_ = 10;
    decimals_ = std::min<std::uint32_t>(decimals, 30);
    const int n = std::max({WholeDigits(limits.high, 10.0), WholeDigits(limits.low, 10.0), 1});
    if (n < 16) {
        const double bound = std::pow(10.0, n);
        limits_ = ZKLimits(-bound, bound);
        width_ =
            static_cast<std::uint32_t>(n) + (decimals_ > 0 ? decimals_ + 1 : 0) + (limits.low < 0.0 ? 1 : 0);
        std::snprintf(pattern_, sizeof pattern_, "%%%u.%uf", width_, decimals_);
    } else {
        width_ = 15;
        std::snprintf(pattern_, sizeof pattern_, "%%g");
    }
}

void ZKFormatReal::Format(double value, char* buffer, std::size_t size) const {
    if (!limits_.Contains(value)) {
        Fill(buffer, size, '#', width_);
    } else if (radix_ == 16) {
        std::snprintf(buffer, size, pattern_, static_cast<unsigned>(ToInt32(value)));
    } else {
        std::snprintf(buffer, size, pattern_, value);
    }
}

// ---- ZKFormatTime ---------------------------------------------------------------------------------------

ZKFormatTime::ZKFormatTime(const ZKLimits& limits, std::uint32_t secondsUnit, std::uint32_t decimals)
    : ZKFormat(limits, kTime), secondsUnit_(secondsUnit), decimals_(decimals) {
    width_ = (decimals > 0 ? decimals + 1 : 0) + (limits.low < 0.0 ? 1 : 0);
    const std::int64_t seconds = ToInt64(secondsUnit != 0 ? limits.high : limits.high / 1e9);
    if (seconds >= 1) {
        showSeconds_ = 1;
        width_ += 2;
    }
    if (seconds / 60 >= 1) {
        showMinutes_ = 1;
        width_ += 3;
    }
    const std::int64_t hours = seconds / 3600;
    if (hours >= 1) {
        showHours_ = 1;
        hourDigits_ = static_cast<std::uint32_t>(std::trunc(std::log10(static_cast<double>(hours)))) + 1;
        width_ += hourDigits_ + 1;
    }
    automatic_ = 1;
}

void ZKFormatTime::Format(double value, char* buffer, std::size_t size) const {
    if (value == DBL_MAX || value == -DBL_MAX) {
        Fill(buffer, size, '#', width_);
        return;
    }
    // Seconds become whole nanoseconds, rounded half away from zero.
    if (secondsUnit_ != 0) value = std::round(value * 1e9);
    int decimals = static_cast<int>(std::min<std::uint32_t>(decimals_, 9));
    if (decimals_ >= 9) {
        zk::ReportAssertion(__FILE__, kTimeDecimalsLine, "decimals < 9");
        decimals = 8;
    }
    const double magnitude = std::fabs(value);
    const long long t = ToInt64(magnitude / 1e9);
    const long long f = ToInt64(std::fmod(magnitude, 1e9) / std::pow(10.0, 9 - decimals));
    const char* sign = value < 0.0 ? "-" : "";
    if (automatic_ == 0 || showHours_ != 0) {
        long long hours = t / 3600;
        if (automatic_ == 0) hours %= 24;
        const long long minutes = (t / 60) % 60, seconds = t % 60;
        if (decimals > 0) {
            std::snprintf(buffer, size, "%s%lld:%02lld:%02lld.%0*lld", sign, hours, minutes, seconds,
                          decimals, f);
        } else {
            std::snprintf(buffer, size, "%s%lld:%02lld:%02lld", sign, hours, minutes, seconds);
        }
    } else if (showMinutes_ != 0) {
        const long long minutes = (t / 60) % 60, seconds = t % 60;
        if (decimals > 0) {
            std::snprintf(buffer, size, "%s%lld:%02lld.%0*lld", sign, minutes, seconds, decimals, f);
        } else {
            std::snprintf(buffer, size, "%s%lld:%02lld", sign, minutes, seconds);
        }
    } else if (showSeconds_ != 0) {
        if (decimals > 0) {
            std::snprintf(buffer, size, "%s%lld.%0*lld", sign, t, decimals, f);
        } else {
            std::snprintf(buffer, size, "%s%lld", sign, t);
        }
    } else if (decimals == 0) {
        std::snprintf(buffer, size, "0");
    } else {
        std::snprintf(buffer, size, "%s0.%0*lld", sign, decimals, f);
    }
}

// ---- ZKFormatEnum ---------------------------------------------------------------------------------------

ZKFormatEnum::ZKFormatEnum(const ZKLimits& limits, std::vector<double> values, std::vector<std::string> names)
    : ZKFormat(limits, kEnum), values_(std::move(values)), names_(std::move(names)) {
    names_.resize(values_.size());
    for (const auto& name : names_)
        width_ = std::max(width_, static_cast<std::uint32_t>(name.size()));
}

void ZKFormatEnum::Format(double value, char* buffer, std::size_t size) const {
    const std::int32_t i = ToInt32(value);
    if (limits_.Contains(value)) {
        for (std::size_t s = 0; s < values_.size(); ++s) {
            if (values_[s] == static_cast<double>(i)) {
                std::snprintf(buffer, size, "%s", names_[s].c_str());
                return;
            }
        }
    } else if (value == DBL_MAX) {
        std::snprintf(buffer, size, "#####");
        return;
    }
    std::snprintf(buffer, size, "unknown(%d)", static_cast<int>(i));
}
