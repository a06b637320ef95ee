#include "Common/expression/ZKExpression.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "Common/NumberSyntax.h"
#include "Common/expression/ZKExpressionFunctionTable.h"
#include "Common/expression/ZKExpressionFunctionsV1.h"
#include "Common/expression/ZKExpressionHost.h"
#include "Common/expression/ZKExpressionOperators.h"
#include "Common/expression/ZKStatInterface.h"

namespace {

ZKExpressionHost& NullHost() {
    static ZKExpressionHost host;
    return host;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// How many math channels may nest inside each other.
constexpr std::size_t kMaxChannelChain = 8;

}  // namespace

// ---- tokenizer ------------------------------------------------------------------------------------------

std::vector<ZKToken> ZKExpression::Tokenize(std::string_view source) {
    std::vector<ZKToken> tokens;
    std::string current;
    std::size_t start = 0;
    bool currentIsOperator = false;
    auto flush = [&] {
        if (!current.empty()) tokens.push_back({current, start});
        current.clear();
    };
    std::size_t i = 0;
    while (i < source.size()) {
        const char c = source[i];
        if (IsBlank(c)) {
            flush();
            ++i;
            continue;
        }
        if (c == '"') {
            // A string runs to the next quote (no escapes) and keeps its quotes.
            flush();
            const std::size_t close = source.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? source.size() : close + 1;
            tokens.push_back({std::string(source.substr(i, end - i)), i});
            i = end;
            continue;
        }
        const bool isOperator = ZKIsOperatorChar(c);
        if (!current.empty() &&
            (isOperator != currentIsOperator || (isOperator && !ZKIsOperatorText(current + c)))) {
            flush();
        }
        if (current.empty()) {
            start = i;
            currentIsOperator = isOperator;
        }
        current += c;
        ++i;
        if (currentIsOperator && current == "//") {
            current.clear();
            while (i < source.size() && source[i] != '\n' && source[i] != '\r')
                ++i;
        }
    }
    flush();
    return tokens;
}

// ---- parser ---------------------------------------------------------------------------------------------

// One compile attempt over the token list of an expression. Every parse function takes a token range
// [begin, end) and returns false with the error record set; a successful parse may give no node (a
// declaration).
class ZKExpressionParser {
public:
    explicit ZKExpressionParser(ZKExpression& e) : e_(e), t_(e.tokens_) {
        ops_.reserve(t_.size());
        for (const auto& token : t_) {
            const ZKOperatorInfo* op = ZKFindOperator(token.text);
            ops_.push_back(op != nullptr ? op->id : -1);
        }
    }

    // statements -> statement { ";" statement } [ ";" ]
    bool ParseStatements(std::size_t b, std::size_t e, bool allowEmpty, ZKNodePtr& out);

private:
    struct Depth {
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
        int& depth;
    };

    bool Fail(const std::string& message, std::size_t token) {
        e_.errorMessage_ = message;
        e_.errorToken_ = token;
        return false;
    }
    static std::string Format(const char* pattern, const std::string& arg) {
        char buffer[256];
        std::snprintf(buffer, sizeof buffer, pattern, arg.c_str());
        return buffer;
    }
    // The name a token stands for: the text between the quotes of a quoted name.
    static std::string NameOf(const std::string& token) {
        if (token.size() >= 3 && token.front() == '"' && token.back() == '"')
            return token.substr(1, token.size() - 2);
        return token;
    }
    std::string RangeText(std::size_t b, std::size_t e) const;

    bool ParseExpression(std::size_t b, std::size_t e, ZKNodePtr& out);
    int OperatorAt(std::size_t b, std::size_t i) const;
    bool FindSplit(std::size_t b, std::size_t e, std::vector<std::size_t>& weakest);
    bool ParseOperator(std::size_t b, std::size_t e, std::size_t s, int id, ZKNodePtr& out);
    bool ParseChain(std::size_t b, std::size_t e, const std::vector<std::size_t>& ops, ZKNodePtr& out);
    bool CheckSides(std::size_t b, std::size_t e, std::size_t s);
    bool Combine(std::size_t s, ZKNodePtr& left, ZKNodePtr right);
    bool ParseSide(std::size_t b, std::size_t e, const char* which, ZKNodePtr& out);
    bool ParseThenElse(std::size_t b, std::size_t e, std::size_t colon, ZKNodePtr& out);
    bool Fold(ZKNodePtr& node, std::size_t opToken);
    bool FindMatch(std::size_t open, std::size_t e, std::size_t& close) const;
    bool Bracketed(std::size_t b, std::size_t e, char open, char close, std::size_t& innerB,
                   std::size_t& innerE);
    bool ExtraTokens(std::size_t at);
    std::vector<std::pair<std::size_t, std::size_t>> SplitArguments(std::size_t b, std::size_t e) const;

    bool ParseOperand(std::size_t b, std::size_t e, ZKNodePtr& out);
    bool ParseFunction(std::size_t b, std::size_t e, int id, ZKNodePtr& out);
    bool ParseNumber(std::size_t b, std::size_t e, ZKNodePtr& out, bool& isNumber);
    bool ParseVariable(std::size_t b, std::size_t e, ZKVariable* variable, ZKNodePtr& out);
    bool ParseChannel(std::size_t b, std::size_t e, const std::string& name, ZKNodePtr& out, bool& found);
    bool ParseItem(std::size_t b, std::size_t e, const std::string& name, ZKNodePtr& out, bool& found);
    bool MathChannel(const std::string& name, std::size_t at, ZKNodePtr& out);

    bool DeclareVariable(std::size_t b, std::size_t e, bool isConst);
    bool DeclareStat(std::size_t b, std::size_t e);
    bool LanguageVersion(std::size_t b, std::size_t e, ZKNodePtr& out);
    bool MathFunction(std::size_t b, std::size_t e, ZKNodePtr& out);

    ZKExpression& e_;
    const std::vector<ZKToken>& t_;
    std::vector<int> ops_;  // operator id of each token, -1 for others
    int depth_ = 0;
    std::size_t chainOperators_ = 0;
};

std::string ZKExpressionParser::RangeText(std::size_t b, std::size_t e) const {
    std::string text;
    for (std::size_t i = b; i < e; ++i) {
        if (i > b) text += ' ';
        text += t_[i].text;
    }
    return text;
}

bool ZKExpressionParser::ParseStatements(std::size_t b, std::size_t e, bool allowEmpty, ZKNodePtr& out) {
    std::vector<ZKNodePtr> statements;
    std::size_t start = b;
    int nesting = 0;
    for (std::size_t i = b; i <= e; ++i) {
        if (i < e) {
            const std::string& text = t_[i].text;
            if (text == "(" || text == "[" || text == "{") ++nesting;
            if (text == ")" || text == "]" || text == "}") --nesting;
            if (text != ";" || nesting != 0) continue;
        }
        const bool last = i == e;
        if (start == i) {
            // Only the piece after a final ";" (or a whole empty source) may be empty.
            if (last && (start > b || allowEmpty)) break;
            return Fail("Empty expression", i < t_.size() ? i : b);
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

bool ZKExpressionParser::ParseExpression(std::size_t b, std::size_t e, ZKNodePtr& out) {
    Depth depth(depth_);
    if (depth_ > ZKExpression::kMaxNesting) return Fail("Expression is nested too deeply", b);
    if (b >= e) return Fail("Empty expression", b < t_.size() ? b : (b > 0 ? b - 1 : 0));
    std::vector<std::size_t> weakest;
    if (!FindSplit(b, e, weakest)) return false;
    if (weakest.empty()) return ParseOperand(b, e, out);
    const int id = OperatorAt(b, weakest.front());
    if (id >= kOpPlus && id <= kOpOr) return ParseChain(b, e, weakest, out);
    // On equal strength the last of a left-grouping and the first of a right-grouping operator splits.
    const std::size_t split = ZKOperatorById(id).leftGrouping ? weakest.back() : weakest.front();
    return ParseOperator(b, e, split, OperatorAt(b, split), out);
}

// The operator token i stands for in a range starting at b, -1 for none. A "+" or "-" at the start or
// after an opening bracket is unary.
int ZKExpressionParser::OperatorAt(std::size_t b, std::size_t i) const {
    const int id = ops_[i];
    if ((id == kOpPlus || id == kOpMinus) && (i == b || ops_[i - 1] == kOpOpenRound ||
                                              ops_[i - 1] == kOpOpenSquare || ops_[i - 1] == kOpOpenCurly)) {
        return id == kOpPlus ? kOpUnaryPlus : kOpUnaryMinus;
    }
    return id;
}

// Finds the weakest operators of the range outside brackets, in token order.
bool ZKExpressionParser::FindSplit(std::size_t b, std::size_t e, std::vector<std::size_t>& weakest) {
    int square = 0, round = 0, curly = 0;
    int bestPrecedence = 0;
    for (std::size_t i = b; i < e; ++i) {
        if (ops_[i] < 0) continue;
        int* counter = nullptr;
        int step = 1;
        switch (ops_[i]) {
            case kOpCloseSquare:
                step = -1;
                [[fallthrough]];
            case kOpOpenSquare:
                counter = &square;
                break;
            case kOpCloseRound:
                step = -1;
                [[fallthrough]];
            case kOpOpenRound:
                counter = &round;
                break;
            case kOpCloseCurly:
                step = -1;
                [[fallthrough]];
            case kOpOpenCurly:
                counter = &curly;
                break;
            default:
                break;
        }
        if (counter != nullptr) {
            *counter += step;
            if (*counter < 0) return Fail(t_[i].text + " : Unexpected Token", i);
            continue;
        }
        if (square != 0 || round != 0 || curly != 0) continue;
        const int precedence = ZKOperatorById(OperatorAt(b, i)).precedence;
        if (weakest.empty() || precedence < bestPrecedence) {
            weakest.clear();
            bestPrecedence = precedence;
        }
        if (precedence == bestPrecedence) weakest.push_back(i);
    }
    return true;
}

bool ZKExpressionParser::ParseSide(std::size_t b, std::size_t e, const char* which, ZKNodePtr& out) {
    if (!ParseExpression(b, e, out)) return false;
    if (!out) return Fail(std::string(which) + " does not parse", b);
    return true;
}

bool ZKExpressionParser::Fold(ZKNodePtr& node, std::size_t opToken) {
    double value;
    if (!node->Evaluate(nullptr, value)) {
        return Fail("Cannot evaluate this operator to replace with constant", opToken);
    }
    node = std::make_unique<ZKParserConstant>(value);
    return true;
}

bool ZKExpressionParser::ParseOperator(std::size_t b, std::size_t e, std::size_t s, int id, ZKNodePtr& out) {
    const std::string& text = t_[s].text;
    const int version = e_.major_;
    switch (id) {
        case kOpUnaryMinus:
        case kOpUnaryPlus:
        case kOpLogicalNot:
        case kOpBitwiseNot: {
            if (s != b) return Fail("there should be no left side here", s);
            if (s + 1 == e) return Fail(Format("There is nothing to the right of \"%s\"", text), s);
            ZKNodePtr operand;
            if (!ParseSide(s + 1, e, "right", operand)) return false;
            if (id == kOpUnaryPlus) {
                out = std::move(operand);
            } else if (id == kOpUnaryMinus) {
                const bool constant = dynamic_cast<ZKParserConstant*>(operand.get()) != nullptr;
                out = ZKMakeBinaryOperator(kOpMultiply, version, std::make_unique<ZKParserConstant>(-1.0),
                                           std::move(operand));
                if (constant && !Fold(out, s)) return false;
            } else {
                out = ZKMakeUnaryOperator(id, version, std::move(operand));
            }
            return true;
        }
        case kOpQuestion:
            return Fail("Matching ':' required", s);
        case kOpColon:
            return ParseThenElse(b, e, s, out);
        case kOpComma:
        case kOpSemicolon:
            return Fail(text + " - Unexpected Token", s);
        default:
            break;
    }
    if (!CheckSides(b, e, s)) return false;
    ZKNodePtr left, right;
    if (!ParseSide(b, s, "left", left)) return false;
    if (id >= kOpAssign && id <= kOpBitwiseOrAssign) {
        auto* target = dynamic_cast<ZKParserVariableHolder*>(left.get());
        if (target == nullptr) return Fail(Format("left side of \"%s\" must be a variable", text), s);
        if (target->Variable().isConst)
            return Fail(Format("left side of \"%s\" must NOT be a CONST variable", text), s);
        if (!ParseSide(s + 1, e, "right", right)) return false;
        left.release();
        out =
            ZKMakeAssignment(id, version, std::unique_ptr<ZKParserVariableHolder>(target), std::move(right));
        return true;
    }
    if (!ParseSide(s + 1, e, "right", right)) return false;
    out = std::move(left);
    return Combine(s, out, std::move(right));
}

// A binary operator at s needs operands on both sides within [b, e).
bool ZKExpressionParser::CheckSides(std::size_t b, std::size_t e, std::size_t s) {
    const std::string& text = t_[s].text;
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

// left = left op right for the binary operator at token s, folded when both operands are constant.
bool ZKExpressionParser::Combine(std::size_t s, ZKNodePtr& left, ZKNodePtr right) {
    const bool constant = dynamic_cast<ZKParserConstant*>(left.get()) != nullptr &&
                          dynamic_cast<ZKParserConstant*>(right.get()) != nullptr;
    left = ZKMakeBinaryOperator(ops_[s], e_.major_, std::move(left), std::move(right));
    if (!left) return Fail(t_[s].text + " - Unexpected Token", s);
    return !constant || Fold(left, s);
}

// a op b op c ... for left-grouping operators of one strength at the token positions ops: built left to
// right in a loop, so a long sum costs no nesting. Empty operands are reported from the last operator
// back, as splitting at one operator after the other does.
bool ZKExpressionParser::ParseChain(std::size_t b, std::size_t e, const std::vector<std::size_t>& ops,
                                    ZKNodePtr& out) {
    chainOperators_ += ops.size();
    if (chainOperators_ > ZKExpression::kMaxChainOperators) return Fail("Expression is nested too deeply", b);
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

// cond "?" then ":" else, split at the ":"; the matching "?" is the nearest one to its left that is
// not taken by a nested "?" ":" pair.
bool ZKExpressionParser::ParseThenElse(std::size_t b, std::size_t e, std::size_t colon, ZKNodePtr& out) {
    int nesting = 0, pairs = 0;
    std::size_t question = colon;
    for (std::size_t i = colon; i-- > b;) {
        const std::string& text = t_[i].text;
        if (text == ")" || text == "]" || text == "}") ++nesting;
        if (text == "(" || text == "[" || text == "{") --nesting;
        if (nesting != 0) continue;
        if (text == ":") ++pairs;
        if (text == "?") {
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
    ZKNodePtr condition, thenNode, elseNode;
    if (!ParseSide(b, question, "left", condition) || !ParseSide(question + 1, colon, "left", thenNode) ||
        !ParseSide(colon + 1, e, "right", elseNode)) {
        return false;
    }
    out = ZKMakeThenElse(e_.major_, std::move(condition), std::move(thenNode), std::move(elseNode));
    return true;
}

bool ZKExpressionParser::FindMatch(std::size_t open, std::size_t e, std::size_t& close) const {
    const std::string& opening = t_[open].text;
    const std::string closing = opening == "(" ? ")" : (opening == "[" ? "]" : "}");
    int nesting = 0;
    for (std::size_t i = open; i < e; ++i) {
        if (t_[i].text == opening) ++nesting;
        if (t_[i].text == closing && --nesting == 0) {
            close = i;
            return true;
        }
    }
    return false;
}

// A valid operand ended before the range did.
bool ZKExpressionParser::ExtraTokens(std::size_t at) {
    const std::string& text = t_[at].text;
    if (text.size() == 1 && std::string_view("()[]{}").find(text[0]) != std::string_view::npos) {
        return Fail(text + " : Unexpected Token", at);
    }
    return Fail(text + " - Unexpected Token", at);
}

// open ... close filling the whole range; yields the inside.
bool ZKExpressionParser::Bracketed(std::size_t b, std::size_t e, char open, char close, std::size_t& innerB,
                                   std::size_t& innerE) {
    const std::string openText(1, open);
    if (b >= e) return Fail("expecting bracketted expression", b > 0 ? b - 1 : 0);
    if (t_[b].text != openText)
        return Fail(Format("bracketted expression must start with a '%s'", openText), b);
    if (e - b < 2) return Fail("bracketted expression too short", b);
    std::size_t match = 0;
    if (!FindMatch(b, e, match)) return Fail(Format("no matching '%s'", std::string(1, close)), b);
    if (match + 1 != e) return ExtraTokens(match + 1);
    innerB = b + 1;
    innerE = match;
    return true;
}

std::vector<std::pair<std::size_t, std::size_t>> ZKExpressionParser::SplitArguments(std::size_t b,
                                                                                    std::size_t e) const {
    std::vector<std::pair<std::size_t, std::size_t>> args;
    if (b == e) return args;
    int nesting = 0;
    std::size_t start = b;
    for (std::size_t i = b; i < e; ++i) {
        const std::string& text = t_[i].text;
        if (text == "(" || text == "[" || text == "{") ++nesting;
        if (text == ")" || text == "]" || text == "}") --nesting;
        if (text == "," && nesting == 0) {
            args.emplace_back(start, i);
            start = i + 1;
        }
    }
    args.emplace_back(start, e);
    return args;
}

// operand -> "(" expression ")" | "{" statements "}" | function "(" arguments ")" | number
//          | variable { "[" expression "]" } | stat | channel | item [ "(" parameter ")" ]
bool ZKExpressionParser::ParseOperand(std::size_t b, std::size_t e, ZKNodePtr& out) {
    const std::string& first = t_[b].text;
    std::size_t innerB = 0, innerE = 0;
    if (first == "(") {
        if (!Bracketed(b, e, '(', ')', innerB, innerE)) return false;
        return ParseExpression(innerB, innerE, out);
    }
    if (first == "{") {
        if (!Bracketed(b, e, '{', '}', innerB, innerE)) return false;
        return ParseStatements(innerB, innerE, false, out);
    }
    const int function = ZKFindFunction(first);
    if (function != kFnNotAFunction) return ParseFunction(b, e, function, out);
    bool isNumber = false;
    if (!ParseNumber(b, e, out, isNumber) || isNumber) return isNumber;
    const std::string name = NameOf(first);
    if (ZKVariable* variable = e_.FindVariable(name)) return ParseVariable(b, e, variable, out);
    if (ZKStatInterface* stat = e_.FindStat(name)) {
        if (b + 1 != e) return Fail("Unexpected token to right of stat", b + 1);
        out = std::make_unique<ZKParserStatHolder>(stat);
        return true;
    }
    bool found = false;
    if (!ParseChannel(b, e, name, out, found) || found) return found && out != nullptr;
    if (!ParseItem(b, e, name, out, found) || found) return found && out != nullptr;
    return Fail("Unrecognised token", b);
}

bool ZKExpressionParser::ParseNumber(std::size_t b, std::size_t e, ZKNodePtr& out, bool& isNumber) {
    const std::string& text = t_[b].text;
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

bool ZKExpressionParser::ParseVariable(std::size_t b, std::size_t e, ZKVariable* variable, ZKNodePtr& out) {
    std::vector<ZKNodePtr> indices;
    std::size_t i = b + 1;
    while (i < e && t_[i].text == "[") {
        std::size_t close = 0;
        if (!FindMatch(i, e, close)) return Fail("no matching ']'", i);
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
    ZKExpressionHost& host = *e_.host_;
    const int channel = host.FindUserChannel(name);
    std::string source;
    if (channel < 0 && !host.FindMathChannel(name, source)) return true;
    found = true;
    if (b + 1 != e) return ExtraTokens(b + 1);
    if (channel >= 0) {
        out = std::make_unique<ZKParserUserChannelHolder>(&host, channel);
        return true;
    }
    return MathChannel(name, b, out);
}

bool ZKExpressionParser::MathChannel(const std::string& name, std::size_t at, ZKNodePtr& out) {
    ZKExpressionHost& host = *e_.host_;
    std::string source;
    if (!host.FindMathChannel(name, source)) return Fail("Cannot parse internal math channel", at);
    for (const auto& outer : e_.channelChain_) {
        if (outer == name) return Fail("Cannot make recursive math channel calls", at);
    }
    if (e_.channelChain_.size() >= kMaxChannelChain)
        return Fail("Cannot make recursive math channel calls", at);
    auto channel = std::make_unique<ZKExpression>();
    channel->channelChain_ = e_.channelChain_;
    channel->channelChain_.push_back(name);
    if (!channel->Compile(source, &host)) return Fail("Cannot parse internal math channel", at);
    out = std::make_unique<ZKParserMathChannelHolder>(std::move(channel));
    return true;
}

bool ZKExpressionParser::ParseItem(std::size_t b, std::size_t e, const std::string& name, ZKNodePtr& out,
                                   bool& found) {
    ZKExpressionHost& host = *e_.host_;
    std::string parameter;
    bool hasParameter = false;
    std::size_t end = b + 1;
    if (end < e && t_[end].text == "(") {
        std::size_t close = 0;
        if (!FindMatch(end, e, close)) {
            if (host.FindItem(name, nullptr) < 0) return true;
            found = true;
            return Fail("no matching ')'", end);
        }
        if (SplitArguments(end + 1, close).size() > 1) {
            if (host.FindItem(name, nullptr) < 0) return true;
            found = true;
            return Fail("items have a maximum of one parameter", end);
        }
        hasParameter = true;
        parameter = close == end + 2 ? NameOf(t_[end + 1].text) : RangeText(end + 1, close);
        end = close + 1;
    }
    const int item = host.FindItem(name, hasParameter ? &parameter : nullptr);
    if (item < 0) return true;
    found = true;
    if (end != e) return Fail(Format("Unexpected token to right of item(%s)", name), end);
    out = std::make_unique<ZKParserItemHolder>(&host, item);
    return true;
}

bool ZKExpressionParser::ParseFunction(std::size_t b, std::size_t e, int id, ZKNodePtr& out) {
    if (b + 1 == e) return Fail("empty parameter list", b);
    std::size_t innerB = 0, innerE = 0;
    if (!Bracketed(b + 1, e, '(', ')', innerB, innerE)) return false;
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
        if (ab == ae) return Fail("Function parameter not found", ab < t_.size() ? ab : b);
        texts.push_back(RangeText(ab, ae));
        ZKNodePtr arg;
        // The format texts of the report headings are not expressions.
        const bool rawText = (id == kFnReportLeft || id == kFnReportTop) && args.size() == 1 &&
                             ae == ab + 1 && t_[ab].text.front() == '"';
        if (!rawText && !ParseSide(ab, ae, "right", arg)) return false;
        args.push_back(std::move(arg));
    }
    const ZKFunctionSite site{e_.host_, &e_.history_};
    std::string error;
    out = ZKCreateFunction(id, e_.major_, std::move(args), texts, site, error);
    if (!out) return Fail(error, b);
    return true;
}

// var(name [dims], value...) and const(...): executed now, no node.
bool ZKExpressionParser::DeclareVariable(std::size_t b, std::size_t e, bool isConst) {
    const auto args = SplitArguments(b, e);
    if (args.size() < 2) return Fail("var must have at least 2 params\n", b > 0 ? b - 1 : 0);
    const auto [nameB, nameE] = args[0];
    if (nameB == nameE) return Fail("Param #1 of var must be uniquie variable name\n", nameB);
    const std::string name = NameOf(t_[nameB].text);
    if (e_.FindVariable(name) != nullptr || e_.FindStat(name) != nullptr || ZKFindOperator(name) != nullptr ||
        ZKFindFunction(name) != kFnNotAFunction) {
        return Fail("Param #1 of var must be uniquie variable name\n", nameB);
    }
    std::vector<int> dims;
    std::size_t i = nameB + 1;
    while (i < nameE) {
        std::size_t close = 0;
        if (t_[i].text != "[" || !FindMatch(i, nameE, close)) {
            return Fail("Param #1 of var must be uniquie variable name\n", i);
        }
        for (const auto& [db, de] : SplitArguments(i + 1, close)) {
            const int number = static_cast<int>(dims.size()) + 1;
            if (number > 3) return Fail("variables have a maximum of 3 dimensions\n", db < de ? db : i);
            ZKNodePtr node;
            double size = 0.0;
            if (!ParseSide(db, de, "right", node)) return false;
            if (!node->IsConstant(nullptr) || !node->Evaluate(nullptr, size)) {
                return Fail(Format("variable dimension #%s is not constant\n", std::to_string(number)), db);
            }
            if (size > 100.0)
                return Fail(Format("variable dimension #%s is too big (>100)\n", std::to_string(number)), db);
            if (!(size >= 1.0))
                return Fail(Format("variable dimension #%s must be at least 1\n", std::to_string(number)),
                            db);
            dims.push_back(static_cast<int>(size));
        }
        i = close + 1;
    }
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
    ZKVariable* variable = e_.AddVariable(name, isConst, dims);
    if (values.size() != 1 && values.size() != variable->ElementCount()) {
        return Fail("wrong number of initializers for variable\n", args[1].first);
    }
    for (std::size_t el = 0; el < variable->ElementCount(); ++el) {
        variable->Set(el, values.size() == 1 ? values[0] : values[el], true);
    }
    return true;
}

bool ZKExpressionParser::DeclareStat(std::size_t b, std::size_t e) {
    const auto args = SplitArguments(b, e);
    if (args.empty() || args[0].first == args[0].second) {
        return Fail("Param #1 of stat must be uniquie statistic variable name\n", b);
    }
    const std::string name = NameOf(t_[args[0].first].text);
    if (args[0].second != args[0].first + 1 || e_.FindStat(name) != nullptr ||
        e_.FindVariable(name) != nullptr) {
        return Fail("Param #1 of stat must be uniquie statistic variable name\n", args[0].first);
    }
    const char* typeMessage = "param #2 : stat type expected (MIN, MAX, AVG, STDDEV or LINEFIT)\n";
    if (args.size() != 2 || args[1].second != args[1].first + 1) return Fail(typeMessage, args[0].second);
    ZKStatInterface* stat = ZKStatInterface::Create(t_[args[1].first].text);
    if (stat == nullptr) return Fail(typeMessage, args[1].first);
    e_.stats_.push_back({name, stat});
    return true;
}

// MathLanguageVersion(x, y): a node yielding 0 when (x, y) is the version being compiled; otherwise the
// request is recorded and this attempt fails, so that Compile starts over in that version.
bool ZKExpressionParser::LanguageVersion(std::size_t b, std::size_t e, ZKNodePtr& out) {
    const auto args = SplitArguments(b, e);
    double wanted[2] = {0.0, 0.0};
    if (args.size() != 2) return Fail("MathLanguageVersion takes 2 constant parameters", b > 0 ? b - 1 : 0);
    for (std::size_t i = 0; i < 2; ++i) {
        ZKNodePtr node;
        if (!ParseSide(args[i].first, args[i].second, "right", node)) return false;
        if (!node->IsConstant(nullptr) || !node->Evaluate(nullptr, wanted[i])) {
            return Fail("MathLanguageVersion takes 2 constant parameters", args[i].first);
        }
    }
    const int major = static_cast<int>(ZKToInteger(wanted[0]));
    const int minor = static_cast<int>(ZKToInteger(wanted[1]));
    if (major == e_.major_ && minor == e_.minor_) {
        if (e_.major_ == 1) {
            out = std::make_unique<TZKFunctionV1<ZKParserFunctionMathLanguageVersion>>();
        } else {
            out = std::make_unique<ZKParserFunctionMathLanguageVersion>();
        }
        return true;
    }
    e_.requestedMajor_ = major;
    e_.requestedMinor_ = minor;
    return Fail("Math language version " + std::to_string(major) + "." + std::to_string(minor) + " requested",
                args[0].first);
}

// math("name"): the value of a math channel of the host.
bool ZKExpressionParser::MathFunction(std::size_t b, std::size_t e, ZKNodePtr& out) {
    if (e != b + 1 || t_[b].text.size() < 3 || t_[b].text.front() != '"' || t_[b].text.back() != '"') {
        return Fail("only expecting math name", b);
    }
    const std::string name = NameOf(t_[b].text);
    std::string source;
    if (!e_.host_->FindMathChannel(name, source))
        return Fail(Format("\"%s\" is not a recognised math function", name), b);
    return MathChannel(name, b, out);
}

// ---- the expression -------------------------------------------------------------------------------------

ZKExpression::ZKExpression() = default;

ZKExpression::~ZKExpression() {
    Clear();
}

void ZKExpression::Clear() {
    root_.reset();
    variables_.clear();
    for (auto& entry : stats_)
        ZKStatInterface::Destroy(entry.stat);
    stats_.clear();
    history_ = ZKResultHistory();
    tokens_.clear();
}

ZKVariable* ZKExpression::AddVariable(std::string name, bool isConst, std::vector<int> dims) {
    variables_.push_back(std::make_unique<ZKVariable>(std::move(name), isConst, std::move(dims)));
    return variables_.back().get();
}

void ZKExpression::CreatePredefined() {
    AddVariable("pi", true, {})->Set(0, 3.14159265358979, true);
    for (const char* name : {"zk.sample", "zk.time", "zk.sampleSize", "zk.lastSample"})
        AddVariable(name, false, {});
}

bool ZKExpression::Compile(const std::string& source, ZKExpressionHost* host) {
    host_ = host != nullptr ? host : &NullHost();
    source_ = source;
    major_ = 1;
    minor_ = 0;
    errorMessage_.clear();
    errorToken_ = 0;
    for (bool restarted = false;; restarted = true) {
        Clear();
        CreatePredefined();
        tokens_ = Tokenize(source_);
        requestedMajor_ = requestedMinor_ = -1;
        if (major_ != 1 && major_ != 2) {
            errorMessage_ = "Unknown math language version";
            errorToken_ = 0;
            break;
        }
        ZKExpressionParser parser(*this);
        ZKNodePtr root;
        if (parser.ParseStatements(0, tokens_.size(), true, root)) {
            root_ = std::move(root);
            return true;
        }
        if (restarted || requestedMajor_ < 0) break;
        major_ = requestedMajor_;
        minor_ = requestedMinor_;
    }
    // No partial tree remains; the tokens stay for the error position.
    std::vector<ZKToken> tokens = std::move(tokens_);
    Clear();
    tokens_ = std::move(tokens);
    return false;
}

bool ZKExpression::Evaluate(const ZKSampleContext& context, double& value) {
    double result = 0.0;
    const bool defined = root_ && root_->EvaluateFast(&context, result);
    history_.Push(result, defined);
    if (defined) value = result;
    return defined;
}

void ZKExpression::Reset() {
    if (root_) root_->ResetState();
    history_.Clear();
}

bool ZKExpression::IsStateful() const {
    return root_ && root_->IsStateful();
}

std::string ZKExpression::ErrorTokenText() const {
    return errorToken_ < tokens_.size() ? tokens_[errorToken_].text : std::string();
}

ZKVariable* ZKExpression::FindVariable(std::string_view name) const {
    for (const auto& v : variables_) {
        if (v->name == name) return v.get();
    }
    return nullptr;
}

ZKStatInterface* ZKExpression::FindStat(std::string_view name) const {
    for (const auto& s : stats_) {
        if (s.name == name) return s.stat;
    }
    return nullptr;
}
