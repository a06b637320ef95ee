#include "Common/expression/ZKExpressionSymbols.h"

#include "Common/expression/ZKStatInterface.h"

ZKExpressionSymbols::~ZKExpressionSymbols() {
    Clear();
}

void ZKExpressionSymbols::Clear() {
    variables_.clear();
    for (auto& entry : stats_)
        ZKStatInterface::Destroy(entry.stat);
    stats_.clear();
}

void ZKExpressionSymbols::CreatePredefined() {
    AddVariable("pi", true, {})->Set(0, 3.14159265358979, true);
    for (const char* name : {"zk.sample", "zk.time", "zk.sampleSize", "zk.lastSample"})
        AddVariable(name, false, {});
}

ZKVariable* ZKExpressionSymbols::AddVariable(std::string name, bool isConst, std::vector<int> dims) {
    variables_.push_back(std::make_unique<ZKVariable>(std::move(name), isConst, std::move(dims)));
    return variables_.back().get();
}

void ZKExpressionSymbols::AddStat(std::string name, ZKStatInterface* stat) {
    stats_.push_back({std::move(name), stat});
}

ZKVariable* ZKExpressionSymbols::FindVariable(std::string_view name) const {
    for (const auto& v : variables_) {
        if (v->name == name) return v.get();
    }
    return nullptr;
}

ZKStatInterface* ZKExpressionSymbols::FindStat(std::string_view name) const {
    for (const auto& s : stats_) {
        if (s.name == name) return s.stat;
    }
    return nullptr;
}
