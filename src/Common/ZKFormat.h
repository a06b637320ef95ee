#pragma once
// Value formats: turn a raw double into a fixed-width text. A format is built once from the value's
// limits and display settings and then applied to every new value; values it cannot show come out as
// a row of "#" of the full width, so that columns stay aligned.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Common/ZKLimits.h"

class ZKFormat {
public:
    enum Kind : std::uint32_t { kReal = 0, kTime = 1, kEnum = 2 };

    virtual ~ZKFormat() = default;
    // Writes the NUL-terminated text of value into buffer (cut to size - 1 characters).
    virtual void Format(double value, char* buffer, std::size_t size) const = 0;
    // Digits after the decimal point; 0 for enumerations.
    virtual std::uint32_t Decimals() const = 0;
    virtual std::unique_ptr<ZKFormat> Clone() const = 0;

    std::string Format(double value) const;
    const ZKLimits& Limits() const { return limits_; }
    std::uint32_t FormatKind() const { return kind_; }
    std::uint32_t Width() const { return width_; }

    // Assigns a format slot from another format: an empty target gets a clone, an empty source empties
    // the target, formats of one kind are copied in place, and a format of another kind is replaced.
    static void Assign(std::unique_ptr<ZKFormat>& target, const ZKFormat* source);

protected:
    ZKFormat(const ZKLimits& limits, std::uint32_t kind) : limits_(limits), kind_(kind) {}
    ZKFormat(const ZKFormat&) = default;
    ZKFormat& operator=(const ZKFormat&) = default;
    // Copies everything from a format of the same kind.
    virtual void CopyFrom(const ZKFormat& other) = 0;
    void Fill(char* buffer, std::size_t size, char c, std::size_t count) const;

    ZKLimits limits_;
    std::uint32_t kind_;
    std::uint32_t width_ = 0;
};

// Real numbers in decimal (radix 10) or upper-case hexadecimal with an "h" suffix (radix 16).
class ZKFormatReal final : public ZKFormat {
public:
    using ZKFormat::Format;
    ZKFormatReal(const ZKLimits& limits, std::uint32_t decimals, std::uint32_t radix);
    void Format(double value, char* buffer, std::size_t size) const override;
    std::uint32_t Decimals() const override { return decimals_; }
    std::unique_ptr<ZKFormat> Clone() const override { return std::make_unique<ZKFormatReal>(*this); }
    std::uint32_t Radix() const { return radix_; }
    const char* Pattern() const { return pattern_; }

private:
    void CopyFrom(const ZKFormat& other) override { *this = static_cast<const ZKFormatReal&>(other); }
    std::uint32_t decimals_ = 0;
    std::uint32_t radix_ = 10;
    char pattern_[16] = {};
};

// Times as [h:]mm:ss[.fff] from seconds or nanoseconds; the layout shows only the parts the largest
// value needs.
class ZKFormatTime final : public ZKFormat {
public:
    using ZKFormat::Format;
    ZKFormatTime(const ZKLimits& limits, std::uint32_t secondsUnit, std::uint32_t decimals);
    void Format(double value, char* buffer, std::size_t size) const override;
    std::uint32_t Decimals() const override { return decimals_; }
    std::unique_ptr<ZKFormat> Clone() const override { return std::make_unique<ZKFormatTime>(*this); }
    // With the automatic layout off, hours are always shown, modulo 24 (a time of day).
    void SetAutomaticLayout(bool on) { automatic_ = on ? 1 : 0; }
    std::uint32_t HourDigits() const { return hourDigits_; }
    bool ShowsHours() const { return showHours_ != 0; }
    bool ShowsMinutes() const { return showMinutes_ != 0; }
    bool ShowsSeconds() const { return showSeconds_ != 0; }

private:
    void CopyFrom(const ZKFormat& other) override { *this = static_cast<const ZKFormatTime&>(other); }
    std::uint32_t secondsUnit_ = 0;
    std::uint32_t decimals_ = 0;
    std::uint32_t hourDigits_ = 0;
    std::uint32_t automatic_ = 1;
    std::uint32_t showHours_ = 0;
    std::uint32_t showMinutes_ = 0;
    std::uint32_t showSeconds_ = 0;
};

// Enumerated states: the name of the state whose value is the integer part of the value.
class ZKFormatEnum final : public ZKFormat {
public:
    using ZKFormat::Format;
    // values[i] is the value of the state called names[i].
    ZKFormatEnum(const ZKLimits& limits, std::vector<double> values, std::vector<std::string> names);
    void Format(double value, char* buffer, std::size_t size) const override;
    std::uint32_t Decimals() const override { return 0; }
    std::unique_ptr<ZKFormat> Clone() const override { return std::make_unique<ZKFormatEnum>(*this); }

private:
    void CopyFrom(const ZKFormat& other) override { *this = static_cast<const ZKFormatEnum&>(other); }
    std::vector<double> values_;
    std::vector<std::string> names_;
};
