#include "Common/profile/ZPConditionHost.h"

#include "Common/expression/ZKExpression.h"
#include "Common/profile/ZPEnum.h"
#include "Common/profile/ZPProfile.h"

int ZPConditionHost::FindItem(std::string_view name, const std::string* parameter) {
    if (parameter) return -1;  // items of a profile take no parameter
    const auto& items = profile_.MapsOfKind(ZP_ITEM);
    for (std::size_t i = 0; i < items.size() && i < kElementBase; ++i)
        if (items[i]->Name() == name) return static_cast<int>(i);
    for (const auto& map : profile_.Maps()) {
        const auto* enumeration = dynamic_cast<const ZPEnum*>(map.get());
        const auto* element = enumeration ? enumeration->BySymbol(std::string(name)) : nullptr;
        if (!element) continue;
        elements_.push_back(element->value);
        return kElementBase + static_cast<int>(elements_.size() - 1);
    }
    return -1;
}

bool ZPConditionHost::ItemValue(int item, const ZKSampleContext&, double& value) {
    if (item < kElementBase) return false;  // an item has no value while the profile is parsed
    value = elements_.at(static_cast<std::size_t>(item - kElementBase));
    return true;
}

bool ZPConditionHost::Check(const ZPProfile& profile, const std::string& condition, std::string& message) {
    ZPConditionHost host(profile);
    ZKExpression expression;
    if (expression.Compile(condition, &host)) return true;
    message = expression.ErrorMessage();
    while (!message.empty() && message.back() == '\n')
        message.pop_back();
    return false;
}
