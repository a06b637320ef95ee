#include "Common/expression/ZKExpressionParser.h"

#include <cctype>
#include <cstdio>

#include "Common/NumberSyntax.h"
#include "Common/expression/ZKExpression.h"
#include "Common/expression/ZKExpressionFunctionTable.h"
#include "Common/expression/ZKExpressionFunctionsV1.h"
#include "Common/expression/ZKExpressionHost.h"
#include "Common/expression/ZKExpressionOperators.h"
#include "Common/expression/ZKExpressionSymbols.h"
#include "Common/expression/ZKStatInterface.h"

namespace {

// How many math channels may nest inside each other.
constexpr std::size_t kMaxChannelChain = 8;

const char* const kTooDeep = "Expression is nested too deeply";

std::string Format(const char* pattern, const std::string& arg) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, pattern, arg.c_str());
    return buffer;
}

// The name a token stands for: the text between the quotes of a quoted name.
std::string NameOf(const std::string& token) {
    if (token.size() >= 3 && token.front() == '"' && token.back() == '"')
        return token.substr(1, token.size() - 2);
    return token;
}

bool IsChained(int op) {
    return op >= kOpPlus && op <= kOpOr;
}

bool IsAssignment(int op) {
    return op >= kOpAssign && op <= kOpBitwiseOrAssign;
}

}  // namespace

// One level of nesting for as long as it lives.
class ZKExpressionParser::Level {
public:
    explicit Level(int& depth) : depth_(depth) { ++depth_; }
    ~Level() { --depth_; }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;
    bool TooDeep() const { return depth_ > kMaxNesting; }

private:
    int& depth_;
};

ZKParseResult ZKExpressionParser::Parse() {
    ZKParseResult result;
    result.ok = ParseStatements(0, t_.Size(), true, result.root);
    if (!result.ok) {
        result.root.reset();
        result.diagnostic = std::move(diagnostic_);
    }
    result.requestedMajor = requestedMajor_;
    result.requestedMinor = requestedMinor_;
    return result;
}

bool ZKExpressionParser::Fail(std::string message, std::size_t token) {
    diagnostic_ = {std::move(message), token};
    return false;
}

// A valid operand ended before the range did.
bool ZKExpressionParser::ExtraTokens(std::size_t at) {
    const std::string& text = t_.Text(at);
    if (t_.IsOpening(at) || t_.IsClosing(at)) return Fail(text + " : Unexpected Token", at);
    return Fail(text + " - Unexpected Token", at);
}

// ---- statements and operators ---------------------------------------------------------------------------

// statements -> statement { ";" statement } [ ";" ]
bool ZKExpressionParser::ParseStatements(std::size_t b, std::size_t e, bool allowEmpty, ZKNodePtr& out) {
    std::vector<ZKNodePtr> statements;
    std::size_t start = b;
    for (std::size_t i = b; i <= e; ++i) {
        if (i < e && (t_.Operator(i) != kOpSemicolon || !t_.AtLevelOf(b, i))) continue;
        const bool last = i == e;
        if (start == i) {
            // Only the piece after a final ";" (or a whole empty source) may be empty.
            if (last && (start > b || allowEmpty)) break;
            return Fail("Empty expression", i < t_.Size() ? i : b);
        }
        ZKNodePtr node;
        if (!ParseExpression(start, i, node)) return false;
        if (node) statements.push_back(std::move(node));
        start = i + 1;
    }
    if (statements.size() == 1) {
        out = std::move(statements.front());
    } else if (!statements.empty()) {
        out = std::make_unique<ZKParserBlock>(std::move(statements));
    }
    return true;
}

// expression -> operand | chain | assignments | unary | conditional, by the weakest operator
bool ZKExpressionParser::ParseExpression(std::size_t b, std::size_t e, ZKNodePtr& out) {
    if (b >= e) return Fail("Empty expression", b < t_.Size() ? b : (b > 0 ? b - 1 : 0));
    std::vector<std::size_t> weakest;
    if (!FindSplit(b, e, weakest)) return false;
    if (weakest.empty()) return ParseOperand(b, e, out);
    const int id = OperatorAt(b, weakest.front());
    if (IsChained(id)) return ParseChain(b, e, weakest, out);
    if (IsAssignment(id)) return ParseAssignments(b, e, weakest, out);
    // On equal strength the last of a left-grouping and the first of a right-grouping operator splits.
    const std::size_t split = ZKOperatorById(id).leftGrouping ? weakest.back() : weakest.front();
    return ParseOperator(b, e, split, OperatorAt(b, split), out);
}

// An operand of an operator: it must give a node, a declaration does not.
bool ZKExpressionParser::ParseSide(std::size_t b, std::size_t e, const char* which, ZKNodePtr& out) {
    if (!ParseExpression(b, e, out)) return false;
    if (!out) return Fail(std::string(which) + " does not parse", b);
    return true;
}

// The operator token i stands for in a range starting at b, -1 for none. A "+" or "-" at the start or
// after an opening bracket is unary.
int ZKExpressionParser::OperatorAt(std::size_t b, std::size_t i) const {
    const int id = t_.Operator(i);
    if ((id == kOpPlus || id == kOpMinus) && (i == b || t_.IsOpening(i - 1)))
        return id == kOpPlus ? kOpUnaryPlus : kOpUnaryMinus;
    return id;
}

// Finds the weakest operators of the range outside brackets, in token order. A closing bracket that
// the range never opened fails.
bool ZKExpressionParser::FindSplit(std::size_t b, std::size_t e, std::vector<std::size_t>& weakest) {
    int bestPrecedence = 0;
    for (std::size_t i = b; i < e; ++i) {
        if (t_.Operator(i) < 0) continue;
        if (t_.IsClosing(i) && t_.ClosesBelow(b, i)) return Fail(t_.Text(i) + " : Unexpected Token", i);
        if (t_.IsOpening(i) || t_.IsClosing(i) || !t_.AtLevelOf(b, i)) continue;
        const int precedence = ZKOperatorById(OperatorAt(b, i)).precedence;
        if (weakest.empty() || precedence < bestPrecedence) {
            weakest.clear();
            bestPrecedence = precedence;
        }
        if (precedence == bestPrecedence) weakest.push_back(i);
    }
    return true;
}

// Every chained operator deepens the tree, so all chains of a source together have a limit.
bool ZKExpressionParser::CountChain(std::size_t operators, std::size_t at) {
    chainOperators_ += operators;
    return chainOperators_ <= kMaxChainOperators || Fail(kTooDeep, at);
}

// A binary operator at s needs operands on both sides within [b, e).
bool ZKExpressionParser::CheckSides(std::size_t b, std::size_t e, std::size_t s) {
    const std::string& text = t_.Text(s);
    if (s == b) {
        return Fail(
            Format("There is nothing to the left of %s\nThe only operators where this is permissable are "
                   "unary \"-\" and \"+\"",
                   text),
            s);
    }
    if (s + 1 == e) return Fail(Format("There is nothing to the right of \"%s\"", text), s);
    return true;
}

// chain -> operand { op operand }, for left-grouping operators of one strength at the token positions
// ops: built left to right. Empty operands are reported from the last operator back, as splitting at
// one operator after the other does.
bool ZKExpressionParser::ParseChain(std::size_t b, std::size_t e, const std::vector<std::size_t>& ops,
                                    ZKNodePtr& out) {
    if (!CountChain(ops.size(), b)) return false;
    const auto operandEnd = [&](std::size_t k) { return k + 1 < ops.size() ? ops[k + 1] : e; };
    for (std::size_t k = ops.size(); k-- > 0;) {
        if (!CheckSides(b, operandEnd(k), ops[k])) return false;
    }
    if (!ParseSide(b, ops.front(), "left", out)) return false;
    for (std::size_t k = 0; k < ops.size(); ++k) {
        ZKNodePtr right;
        if (!ParseSide(ops[k] + 1, operandEnd(k), "right", right) || !Combine(ops[k], out, std::move(right)))
            return false;
    }
    return true;
}

// left = left op right for the binary operator at token s, folded when both operands are constant.
bool ZKExpressionParser::Combine(std::size_t s, ZKNodePtr& left, ZKNodePtr right) {
    const bool constant = dynamic_cast<ZKParserConstant*>(left.get()) != nullptr &&
                          dynamic_cast<ZKParserConstant*>(right.get()) != nullptr;
    left = ZKMakeBinaryOperator(t_.Operator(s), c_.major, std::move(left), std::move(right));
    if (!left) return Fail(t_.Text(s) + " - Unexpected Token", s);
    return !constant || Fold(left, s);
}

bool ZKExpressionParser::Fold(ZKNodePtr& node, std::size_t opToken) {
    double value;
    if (!node->Evaluate(nullptr, value)) {
        return Fail("Cannot evaluate this operator to replace with constant", opToken);
    }
    node = std::make_unique<ZKParserConstant>(value);
    return true;
}

// assignments -> variable op { variable op } value, grouped from the right: in x = y += 3 the value of
// y += 3 goes to x. Each operator is checked in turn from the left, as splitting at the first would.
bool ZKExpressionParser::ParseAssignments(std::size_t b, std::size_t e, const std::vector<std::size_t>& ops,
                                          ZKNodePtr& out) {
    if (!CountChain(ops.size(), b)) return false;
    std::vector<std::unique_ptr<ZKParserVariableHolder>> targets;
    std::size_t start = b;
    for (const std::size_t s : ops) {
        std::unique_ptr<ZKParserVariableHolder> target;
        if (!CheckSides(start, e, s) || !AssignmentTarget(start, s, target)) return false;
        targets.push_back(std::move(target));
        start = s + 1;
    }
    ZKNodePtr value;
    if (!ParseSide(start, e, "right", value)) return false;
    for (std::size_t k = ops.size(); k-- > 0;)
        value = ZKMakeAssignment(t_.Operator(ops[k]), c_.major, std::move(targets[k]), std::move(value));
    out = std::move(value);
    return true;
}

// The range [b, s) left of the assignment operator at s must be a variable that is not CONST.
bool ZKExpressionParser::AssignmentTarget(std::size_t b, std::size_t s,
                                          std::unique_ptr<ZKParserVariableHolder>& target) {
    const std::string& text = t_.Text(s);
    ZKNodePtr left;
    if (!ParseSide(b, s, "left", left)) return false;
    auto* variable = dynamic_cast<ZKParserVariableHolder*>(left.get());
    if (variable == nullptr) return Fail(Format("left side of \"%s\" must be a variable", text), s);
    if (variable->Variable().isConst)
        return Fail(Format("left side of \"%s\" must NOT be a CONST variable", text), s);
    left.release();
    target.reset(variable);
    return true;
}

bool ZKExpressionParser::ParseOperator(std::size_t b, std::size_t e, std::size_t s, int id, ZKNodePtr& out) {
    switch (id) {
        case kOpUnaryMinus:
        case kOpUnaryPlus:
        case kOpLogicalNot:
        case kOpBitwiseNot:
            return ParseUnary(b, e, s, id, out);
        case kOpQuestion:
            return Fail("Matching ':' required", s);
        case kOpColon:
            return ParseThenElse(b, e, s, out);
        default:
            // "," and ";" where no list is expected
            return Fail(t_.Text(s) + " - Unexpected Token", s);
    }
}

// unary -> ( "-" | "+" | "!" | "~" ) expression
bool ZKExpressionParser::ParseUnary(std::size_t b, std::size_t e, std::size_t s, int id, ZKNodePtr& out) {
    if (s != b) return Fail("there should be no left side here", s);
    if (s + 1 == e) return Fail(Format("There is nothing to the right of \"%s\"", t_.Text(s)), s);
    const Level level(depth_);
    if (level.TooDeep()) return Fail(kTooDeep, b);
    ZKNodePtr operand;
    if (!ParseSide(s + 1, e, "right", operand)) return false;
    if (id == kOpUnaryPlus) {
        out = std::move(operand);
        return true;
    }
    if (id != kOpUnaryMinus) {
        out = ZKMakeUnaryOperator(id, c_.major, std::move(operand));
        return true;
    }
    const bool constant = dynamic_cast<ZKParserConstant*>(operand.get()) != nullptr;
    out = ZKMakeBinaryOperator(kOpMultiply, c_.major, std::make_unique<ZKParserConstant>(-1.0),
                               std::move(operand));
    return !constant || Fold(out, s);
}

// conditional -> expression "?" expression ":" expression, split at the ":"; the matching "?" is the
// nearest one to its left that is not taken by a nested "?" ":" pair.
bool ZKExpressionParser::ParseThenElse(std::size_t b, std::size_t e, std::size_t colon, ZKNodePtr& out) {
    int pairs = 0;
    std::size_t question = colon;
    for (std::size_t i = colon; i-- > b;) {
        if (!t_.AtLevelOf(b, i)) continue;
        if (t_.Operator(i) == kOpColon) ++pairs;
        if (t_.Operator(i) == kOpQuestion) {
            if (pairs == 0) {
                question = i;
                break;
            }
            --pairs;
        }
    }
    if (question == colon) return Fail("No Matching '?'", colon);
    if (question == b) return Fail("empty if expression", question);
    if (question + 1 == colon) return Fail("empty then expression", colon);
    if (colon + 1 == e) return Fail("empty else expression", colon);
    const Level level(depth_);
    if (level.TooDeep()) return Fail(kTooDeep, b);
    ZKNodePtr condition, thenNode, elseNode;
    if (!ParseSide(b, question, "left", condition) || !ParseSide(question + 1, colon, "left", thenNode) ||
        !ParseSide(colon + 1, e, "right", elseNode)) {
        return false;
    }
    out = ZKMakeThenElse(c_.major, std::move(condition), std::move(thenNode), std::move(elseNode));
    return true;
}

// ---- brackets -------------------------------------------------------------------------------------------

// The bracket closing the one at open, when it lies before e.
bool ZKExpressionParser::FindMatch(std::size_t open, std::size_t e, std::size_t& close) const {
    const std::size_t partner = t_.Partner(open);
    if (partner == ZKTokenList::kNoPartner || partner >= e) return false;
    close = partner;
    return true;
}

// open ... close filling the whole range; yields the inside.
bool ZKExpressionParser::Bracketed(std::size_t b, std::size_t e, int open, std::size_t& innerB,
                                   std::size_t& innerE) {
    const std::string openText = ZKOperatorById(open).text;
    if (b >= e) return Fail("expecting bracketted expression", b > 0 ? b - 1 : 0);
    if (t_.Operator(b) != open)
        return Fail(Format("bracketted expression must start with a '%s'", openText), b);
    if (e - b < 2) return Fail("bracketted expression too short", b);
    std::size_t match = 0;
    if (!FindMatch(b, e, match)) return Fail(Format("no matching '%s'", ZKOperatorById(open + 1).text), b);
    if (match + 1 != e) return ExtraTokens(match + 1);
    innerB = b + 1;
    innerE = match;
    return true;
}

// The pieces of [b, e) between the commas outside brackets; none for an empty range.
ZKExpressionParser::Ranges ZKExpressionParser::SplitArguments(std::size_t b, std::size_t e) const {
    Ranges args;
    if (b == e) return args;
    std::size_t start = b;
    for (std::size_t i = b; i < e; ++i) {
        if (t_.Operator(i) == kOpComma && t_.AtLevelOf(b, i)) {
            args.emplace_back(start, i);
            start = i + 1;
        }
    }
    args.emplace_back(start, e);
    return args;
}

// ---- operands -------------------------------------------------------------------------------------------

// operand -> "(" expression ")" | "{" statements "}" | function "(" arguments ")" | number
//          | variable { "[" expression "]" } | stat | channel | item [ "(" parameter ")" ]
bool ZKExpressionParser::ParseOperand(std::size_t b, std::size_t e, ZKNodePtr& out) {
    if (t_.Operator(b) == kOpOpenRound || t_.Operator(b) == kOpOpenCurly) return ParseBracketed(b, e, out);
    const std::string& first = t_.Text(b);
    const int function = ZKFindFunction(first);
    if (function != kFnNotAFunction) return ParseFunction(b, e, function, out);
    bool isNumber = false;
    if (!ParseNumber(b, e, out, isNumber) || isNumber) return isNumber;
    const std::string name = NameOf(first);
    if (ZKVariable* variable = c_.symbols.FindVariable(name)) return ParseVariable(b, e, variable, out);
    if (ZKStatInterface* stat = c_.symbols.FindStat(name)) {
        if (b + 1 != e) return Fail("Unexpected token to right of stat", b + 1);
        out = std::make_unique<ZKParserStatHolder>(stat);
        return true;
    }
    bool found = false;
    if (!ParseChannel(b, e, name, out, found) || found) return found && out != nullptr;
    if (!ParseItem(b, e, name, out, found) || found) return found && out != nullptr;
    return Fail("Unrecognised token", b);
}

// "(" expression ")" or "{" statements "}"
bool ZKExpressionParser::ParseBracketed(std::size_t b, std::size_t e, ZKNodePtr& out) {
    const int open = t_.Operator(b);
    std::size_t innerB = 0, innerE = 0;
    if (!Bracketed(b, e, open, innerB, innerE)) return false;
    const Level level(depth_);
    if (level.TooDeep()) return Fail(kTooDeep, b);
    if (open == kOpOpenRound) return ParseExpression(innerB, innerE, out);
    return ParseStatements(innerB, innerE, false, out);
}

bool ZKExpressionParser::ParseNumber(std::size_t b, std::size_t e, ZKNodePtr& out, bool& isNumber) {
    const std::string& text = t_.Text(b);
    // Names never start with a digit; a number token may start with "." ("0.5" written ".5").
    if (!(std::isdigit(static_cast<unsigned char>(text[0])) || (text[0] == '.' && text.size() > 1)))
        return true;
    double value = 0.0;
    if (text.find('.') == std::string::npos) {
        std::int64_t integer = 0;
        if (!ParseIntegerToken(text, integer)) return Fail("Unrecognised token", b);
        value = static_cast<double>(integer);
    } else if (!ParseRealToken(text, value)) {
        return Fail("Unrecognised token", b);
    }
    if (b + 1 != e) return ExtraTokens(b + 1);
    isNumber = true;
    out = std::make_unique<ZKParserConstant>(value);
    return true;
}

// variable -> name { "[" expression "]" }, one index per dimension or none
bool ZKExpressionParser::ParseVariable(std::size_t b, std::size_t e, ZKVariable* variable, ZKNodePtr& out) {
    std::vector<ZKNodePtr> indices;
    std::size_t i = b + 1;
    while (i < e && t_.Operator(i) == kOpOpenSquare) {
        std::size_t close = 0;
        if (!FindMatch(i, e, close)) return Fail("no matching ']'", i);
        const Level level(depth_);
        if (level.TooDeep()) return Fail(kTooDeep, i);
        ZKNodePtr index;
        if (!ParseSide(i + 1, close, "right", index)) return false;
        indices.push_back(std::move(index));
        i = close + 1;
    }
    if (i != e || (!indices.empty() && indices.size() != variable->dimensions.size())) {
        return Fail("Unexpected token to right of variable", i < e ? i : b);
    }
    out = std::make_unique<ZKParserVariableHolder>(variable, std::move(indices));
    return true;
}

bool ZKExpressionParser::ParseChannel(std::size_t b, std::size_t e, const std::string& name, ZKNodePtr& out,
                                      bool& found) {
    const int channel = c_.host.FindUserChannel(name);
    std::string source;
    if (channel < 0 && !c_.host.FindMathChannel(name, source)) return true;
    found = true;
    if (b + 1 != e) return ExtraTokens(b + 1);
    if (channel >= 0) {
        out = std::make_unique<ZKParserUserChannelHolder>(&c_.host, channel);
        return true;
    }
    return MathChannel(name, b, out);
}

// A math channel is an expression of its own; one that refers back to a channel being compiled
// around it is refused.
bool ZKExpressionParser::MathChannel(const std::string& name, std::size_t at, ZKNodePtr& out) {
    std::string source;
    if (!c_.host.FindMathChannel(name, source)) return Fail("Cannot parse internal math channel", at);
    for (const auto& outer : c_.channelChain) {
        if (outer == name) return Fail("Cannot make recursive math channel calls", at);
    }
    if (c_.channelChain.size() >= kMaxChannelChain)
        return Fail("Cannot make recursive math channel calls", at);
    std::vector<std::string> chain = c_.channelChain;
    chain.push_back(name);
    auto channel = std::make_unique<ZKExpression>();
    if (!channel->Compile(source, &c_.host, std::move(chain)))
        return Fail("Cannot parse internal math channel", at);
    out = std::make_unique<ZKParserMathChannelHolder>(std::move(channel));
    return true;
}

// item -> name [ "(" parameter ")" ]; the parameter is handed to the host as text
bool ZKExpressionParser::ParseItem(std::size_t b, std::size_t e, const std::string& name, ZKNodePtr& out,
                                   bool& found) {
    std::string parameter;
    bool hasParameter = false;
    std::size_t end = b + 1;
    if (end < e && t_.Operator(end) == kOpOpenRound) {
        std::size_t close = 0;
        if (!FindMatch(end, e, close)) {
            if (c_.host.FindItem(name, nullptr) < 0) return true;
            found = true;
            return Fail("no matching ')'", end);
        }
        if (SplitArguments(end + 1, close).size() > 1) {
            if (c_.host.FindItem(name, nullptr) < 0) return true;
            found = true;
            return Fail("items have a maximum of one parameter", end);
        }
        hasParameter = true;
        parameter = close == end + 2 ? NameOf(t_.Text(end + 1)) : t_.RangeText(end + 1, close);
        end = close + 1;
    }
    const int item = c_.host.FindItem(name, hasParameter ? &parameter : nullptr);
    if (item < 0) return true;
    found = true;
    if (end != e) return Fail(Format("Unexpected token to right of item(%s)", name), end);
    out = std::make_unique<ZKParserItemHolder>(&c_.host, item);
    return true;
}

// ---- calls and declarations -----------------------------------------------------------------------------

// call -> function "(" [ expression { "," expression } ] ")"
bool ZKExpressionParser::ParseFunction(std::size_t b, std::size_t e, int id, ZKNodePtr& out) {
    if (b + 1 == e) return Fail("empty parameter list", b);
    std::size_t innerB = 0, innerE = 0;
    if (!Bracketed(b + 1, e, kOpOpenRound, innerB, innerE)) return false;
    const Level level(depth_);
    if (level.TooDeep()) return Fail(kTooDeep, b);
    switch (id) {
        case kFnVar:
        case kFnConst:
            return DeclareVariable(innerB, innerE, id == kFnConst);
        case kFnStat:
            return DeclareStat(innerB, innerE);
        case kFnMathLanguageVersion:
            return LanguageVersion(innerB, innerE, out);
        case kFnMath:
            return MathFunction(innerB, innerE, out);
        default:
            break;
    }
    std::vector<ZKNodePtr> args;
    std::vector<std::string> texts;
    for (const auto& [ab, ae] : SplitArguments(innerB, innerE)) {
        if (ab == ae) return Fail("Function parameter not found", ab < t_.Size() ? ab : b);
        texts.push_back(t_.RangeText(ab, ae));
        ZKNodePtr arg;
        // The format texts of the report headings are not expressions.
        const bool rawText = (id == kFnReportLeft || id == kFnReportTop) && args.size() == 1 &&
                             ae == ab + 1 && t_.Text(ab).front() == '"';
        if (!rawText && !ParseSide(ab, ae, "right", arg)) return false;
        args.push_back(std::move(arg));
    }
    const ZKFunctionSite site{&c_.host, &c_.history};
    std::string error;
    out = ZKCreateFunction(id, c_.major, std::move(args), texts, site, error);
    if (!out) return Fail(error, b);
    return true;
}

// var(name [dims], value...) and const(...): executed now, no node.
bool ZKExpressionParser::DeclareVariable(std::size_t b, std::size_t e, bool isConst) {
    const auto args = SplitArguments(b, e);
    if (!ZKFunctionArityOf(kFnVar).Accepts(args.size()))
        return Fail("var must have at least 2 params\n", b > 0 ? b - 1 : 0);
    const auto [nameB, nameE] = args[0];
    if (nameB == nameE) return Fail("Param #1 of var must be uniquie variable name\n", nameB);
    const std::string name = NameOf(t_.Text(nameB));
    if (c_.symbols.FindVariable(name) != nullptr || c_.symbols.FindStat(name) != nullptr ||
        ZKFindOperator(name) != nullptr || ZKFindFunction(name) != kFnNotAFunction) {
        return Fail("Param #1 of var must be uniquie variable name\n", nameB);
    }
    std::vector<int> dims;
    if (!Dimensions(nameB, nameE, dims)) return false;
    std::vector<double> values;
    for (std::size_t a = 1; a < args.size(); ++a) {
        const auto [vb, ve] = args[a];
        if (vb == ve) return Fail("Function parameter not found", vb);
        ZKNodePtr node;
        double value = 0.0;
        if (!ParseSide(vb, ve, "right", node)) return false;
        if (!node->IsConstant(nullptr) || !node->Evaluate(nullptr, value)) {
            return Fail(
                dims.empty() ? "Param #2 of var is not a constant\n" : "non constant variable initializer\n",
                vb);
        }
        values.push_back(value);
    }
    ZKVariable* variable = c_.symbols.AddVariable(name, isConst, dims);
    if (values.size() != 1 && values.size() != variable->ElementCount()) {
        return Fail("wrong number of initializers for variable\n", args[1].first);
    }
    for (std::size_t el = 0; el < variable->ElementCount(); ++el) {
        variable->Set(el, values.size() == 1 ? values[0] : values[el], true);
    }
    return true;
}

// The constant dimensions after a declared name: "[2][3]" or "[2,3]", at most three of 1 to 100.
bool ZKExpressionParser::Dimensions(std::size_t nameB, std::size_t nameE, std::vector<int>& dims) {
    std::size_t i = nameB + 1;
    while (i < nameE) {
        std::size_t close = 0;
        if (t_.Operator(i) != kOpOpenSquare || !FindMatch(i, nameE, close)) {
            return Fail("Param #1 of var must be uniquie variable name\n", i);
        }
        for (const auto& [db, de] : SplitArguments(i + 1, close)) {
            const std::string number = std::to_string(dims.size() + 1);
            if (dims.size() == 3) return Fail("variables have a maximum of 3 dimensions\n", db < de ? db : i);
            ZKNodePtr node;
            double size = 0.0;
            if (!ParseSide(db, de, "right", node)) return false;
            if (!node->IsConstant(nullptr) || !node->Evaluate(nullptr, size))
                return Fail(Format("variable dimension #%s is not constant\n", number), db);
            if (size > 100.0) return Fail(Format("variable dimension #%s is too big (>100)\n", number), db);
            if (!(size >= 1.0))
                return Fail(Format("variable dimension #%s must be at least 1\n", number), db);
            dims.push_back(static_cast<int>(size));
        }
        i = close + 1;
    }
    return true;
}

// stat(name, type): executed now, no node.
bool ZKExpressionParser::DeclareStat(std::size_t b, std::size_t e) {
    const auto args = SplitArguments(b, e);
    if (args.empty() || args[0].first == args[0].second) {
        return Fail("Param #1 of stat must be uniquie statistic variable name\n", b);
    }
    const std::string name = NameOf(t_.Text(args[0].first));
    if (args[0].second != args[0].first + 1 || c_.symbols.FindStat(name) != nullptr ||
        c_.symbols.FindVariable(name) != nullptr) {
        return Fail("Param #1 of stat must be uniquie statistic variable name\n", args[0].first);
    }
    const char* typeMessage = "param #2 : stat type expected (MIN, MAX, AVG, STDDEV or LINEFIT)\n";
    if (!ZKFunctionArityOf(kFnStat).Accepts(args.size()) || args[1].second != args[1].first + 1)
        return Fail(typeMessage, args[0].second);
    ZKStatInterface* stat = ZKStatInterface::Create(t_.Text(args[1].first));
    if (stat == nullptr) return Fail(typeMessage, args[1].first);
    c_.symbols.AddStat(name, stat);
    return true;
}

// MathLanguageVersion(x, y): a node yielding 0 when (x, y) is the version being compiled; otherwise the
// request is recorded and this attempt fails, so that the compile starts over in that version.
bool ZKExpressionParser::LanguageVersion(std::size_t b, std::size_t e, ZKNodePtr& out) {
    const auto args = SplitArguments(b, e);
    const char* message = "MathLanguageVersion takes 2 constant parameters";
    if (!ZKFunctionArityOf(kFnMathLanguageVersion).Accepts(args.size()))
        return Fail(message, b > 0 ? b - 1 : 0);
    double wanted[2] = {0.0, 0.0};
    for (std::size_t i = 0; i < 2; ++i) {
        ZKNodePtr node;
        if (!ParseSide(args[i].first, args[i].second, "right", node)) return false;
        if (!node->IsConstant(nullptr) || !node->Evaluate(nullptr, wanted[i]))
            return Fail(message, args[i].first);
    }
    const int major = static_cast<int>(ZKToInteger(wanted[0]));
    const int minor = static_cast<int>(ZKToInteger(wanted[1]));
    if (major == c_.major && minor == c_.minor) {
        if (c_.major == 1) {
            out = std::make_unique<TZKFunctionV1<ZKParserFunctionMathLanguageVersion>>();
        } else {
            out = std::make_unique<ZKParserFunctionMathLanguageVersion>();
        }
        return true;
    }
    requestedMajor_ = major;
    requestedMinor_ = minor;
    return Fail("Math language version " + std::to_string(major) + "." + std::to_string(minor) + " requested",
                args[0].first);
}

// math("name"): the value of a math channel of the host.
bool ZKExpressionParser::MathFunction(std::size_t b, std::size_t e, ZKNodePtr& out) {
    const std::string& text = t_.Text(b);
    if (e != b + 1 || text.size() < 3 || text.front() != '"' || text.back() != '"') {
        return Fail("only expecting math name", b);
    }
    const std::string name = NameOf(text);
    std::string source;
    if (!c_.host.FindMathChannel(name, source))
        return Fail(Format("\"%s\" is not a recognised math function", name), b);
    return MathChannel(name, b, out);
}
