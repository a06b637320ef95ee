#pragma once
// The valid range of a value. The default pair (1, 0) admits no value at all.

#include "Common/ByteFile.h"

class ZKLimits {
public:
    ZKLimits() = default;
    ZKLimits(double lowValue, double highValue) : low(lowValue), high(highValue) {}
    virtual ~ZKLimits() = default;
    ZKLimits(const ZKLimits&) = default;
    ZKLimits& operator=(const ZKLimits&) = default;

    // Binary form: a flag byte that must be 1, then low and high as little-endian doubles.
    virtual bool Read(ByteFile& file);
    virtual bool Write(ByteFile& file) const;

    // Neither low > v nor v > high (so a NaN counts as in range).
    bool Contains(double v) const { return !(low > v) && !(v > high); }
    bool operator==(const ZKLimits& other) const { return low == other.low && high == other.high; }

    double low = 1.0;
    double high = 0.0;
};
