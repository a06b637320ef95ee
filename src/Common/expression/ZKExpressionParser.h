#pragma once
// Builds the node tree of one compile attempt from a token list.
//
// A token range is split at its weakest operator outside brackets and both sides are parsed on their
// own; a range without such an operator is an operand. Operators of one strength that group from the
// left ("a+b-c+d") or from the right ("x = y += 3") are built in a loop, so a long chain costs no stack.
// Only brackets, calls, unary operators and conditionals nest; their depth is capped, and so is the
// number of chained operators, which deepen the tree that evaluation walks. Declarations (var, const,
// stat) go into the symbol table while parsing and leave no node.

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Common/expression/ZKParserNode.h"
#include "Common/expression/ZKTokenList.h"

class ZKExpressionHost;
class ZKExpressionSymbols;
class ZKParserVariableHolder;
class ZKResultHistory;

// A compile message and the index of the token it refers to.
struct ZKExpressionDiagnostic {
    std::string message;
    std::size_t token = 0;
};

// What one parse gives: on success the root (null when the source holds no statement), on failure the
// diagnostic. A failed parse may ask for another language version (MathLanguageVersion with other values).
struct ZKParseResult {
    bool ok = false;
    ZKNodePtr root;
    ZKExpressionDiagnostic diagnostic;
    int requestedMajor = -1;
    int requestedMinor = -1;
};

// What the tree is built against; all of it must outlive the tree.
struct ZKParseContext {
    ZKExpressionSymbols& symbols;
    ZKExpressionHost& host;
    ZKResultHistory& history;
    int major = 1;
    int minor = 0;
    const std::vector<std::string>& channelChain;  // math channels being compiled around this source
};

class ZKExpressionParser {
public:
    // How deep brackets, calls, unary operators and conditionals may nest.
    static constexpr int kMaxNesting = 256;
    // How many chained operators one source may hold in all.
    static constexpr std::size_t kMaxChainOperators = 16384;

    ZKExpressionParser(const ZKTokenList& tokens, const ZKParseContext& context) : t_(tokens), c_(context) {}

    ZKParseResult Parse();

private:
    class Level;
    using Ranges = std::vector<std::pair<std::size_t, std::size_t>>;

    bool Fail(std::string message, std::size_t token);
    bool ExtraTokens(std::size_t at);

    bool ParseStatements(std::size_t b, std::size_t e, bool allowEmpty, ZKNodePtr& out);
    bool ParseExpression(std::size_t b, std::size_t e, ZKNodePtr& out);
    bool ParseSide(std::size_t b, std::size_t e, const char* which, ZKNodePtr& out);
    int OperatorAt(std::size_t b, std::size_t i) const;
    bool FindSplit(std::size_t b, std::size_t e, std::vector<std::size_t>& weakest);
    bool CountChain(std::size_t operators, std::size_t at);
    bool CheckSides(std::size_t b, std::size_t e, std::size_t s);
    bool ParseChain(std::size_t b, std::size_t e, const std::vector<std::size_t>& ops, ZKNodePtr& out);
    bool Combine(std::size_t s, ZKNodePtr& left, ZKNodePtr right);
    bool ParseAssignments(std::size_t b, std::size_t e, const std::vector<std::size_t>& ops, ZKNodePtr& out);
    bool AssignmentTarget(std::size_t b, std::size_t s, std::unique_ptr<ZKParserVariableHolder>& target);
    bool ParseOperator(std::size_t b, std::size_t e, std::size_t s, int id, ZKNodePtr& out);
    bool ParseUnary(std::size_t b, std::size_t e, std::size_t s, int id, ZKNodePtr& out);
    bool ParseThenElse(std::size_t b, std::size_t e, std::size_t colon, ZKNodePtr& out);
    bool Fold(ZKNodePtr& node, std::size_t opToken);

    bool FindMatch(std::size_t open, std::size_t e, std::size_t& close) const;
    bool Bracketed(std::size_t b, std::size_t e, int open, std::size_t& innerB, std::size_t& innerE);
    Ranges SplitArguments(std::size_t b, std::size_t e) const;

    bool ParseOperand(std::size_t b, std::size_t e, ZKNodePtr& out);
    bool ParseBracketed(std::size_t b, std::size_t e, ZKNodePtr& out);
    bool ParseFunction(std::size_t b, std::size_t e, int id, ZKNodePtr& out);
    bool ParseNumber(std::size_t b, std::size_t e, ZKNodePtr& out, bool& isNumber);
    bool ParseVariable(std::size_t b, std::size_t e, ZKVariable* variable, ZKNodePtr& out);
    bool ParseChannel(std::size_t b, std::size_t e, const std::string& name, ZKNodePtr& out, bool& found);
    bool ParseItem(std::size_t b, std::size_t e, const std::string& name, ZKNodePtr& out, bool& found);
    bool MathChannel(const std::string& name, std::size_t at, ZKNodePtr& out);

    bool DeclareVariable(std::size_t b, std::size_t e, bool isConst);
    bool Dimensions(std::size_t nameB, std::size_t nameE, std::vector<int>& dims);
    bool DeclareStat(std::size_t b, std::size_t e);
    bool LanguageVersion(std::size_t b, std::size_t e, ZKNodePtr& out);
    bool MathFunction(std::size_t b, std::size_t e, ZKNodePtr& out);

    const ZKTokenList& t_;
    const ZKParseContext& c_;
    ZKExpressionDiagnostic diagnostic_;
    int requestedMajor_ = -1;
    int requestedMinor_ = -1;
    int depth_ = 0;
    std::size_t chainOperators_ = 0;
};
