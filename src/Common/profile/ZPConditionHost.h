#pragma once
// The names a pin condition may use: the profile's items (no values while the profile is parsed) and the
// element symbols of its enumerations (their values). Anything else is unknown, so that a misspelt name
// fails the profile instead of failing later at the bench.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Common/expression/ZKExpressionHost.h"

class ZPProfile;
class ZPEnum;

class ZPConditionHost : public ZKExpressionHost {
public:
    explicit ZPConditionHost(const ZPProfile& profile) : profile_(profile) {}

    int FindItem(std::string_view name, const std::string* parameter) override;
    bool ItemValue(int item, const ZKSampleContext& context, double& value) override;

    // Compiles `condition` against `profile`; false with the compiler's message when it does not compile.
    static bool Check(const ZPProfile& profile, const std::string& condition, std::string& message);

private:
    // Handles: items count from 0; an element found by name gets kElementBase + its index in elements_.
    static constexpr int kElementBase = 1 << 24;

    const ZPProfile& profile_;
    std::vector<std::int32_t> elements_;
};
