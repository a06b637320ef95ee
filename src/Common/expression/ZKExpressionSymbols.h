#pragma once
// The names an expression declares: variables (with the predefined ones) and statistics. Nodes point at
// the variables and statistics, so the table must outlive the tree built against it; Clear drops them all.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Common/expression/ZKParserNode.h"

class ZKStatInterface;

class ZKExpressionSymbols {
public:
    ZKExpressionSymbols() = default;
    ~ZKExpressionSymbols();
    ZKExpressionSymbols(const ZKExpressionSymbols&) = delete;
    ZKExpressionSymbols& operator=(const ZKExpressionSymbols&) = delete;

    void Clear();
    // "pi" and the variables the host writes before each sample ("zk.time" and the like).
    void CreatePredefined();

    ZKVariable* AddVariable(std::string name, bool isConst, std::vector<int> dims);
    // Takes ownership of stat.
    void AddStat(std::string name, ZKStatInterface* stat);

    ZKVariable* FindVariable(std::string_view name) const;
    ZKStatInterface* FindStat(std::string_view name) const;

private:
    struct StatEntry {
        std::string name;
        ZKStatInterface* stat;
    };

    std::vector<std::unique_ptr<ZKVariable>> variables_;
    std::vector<StatEntry> stats_;
};
