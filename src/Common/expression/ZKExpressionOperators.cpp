#include "Common/expression/ZKExpressionOperators.h"

#include <array>

#include "Common/expression/ZKExpressionOperatorsV1.h"

namespace {

constexpr std::array<ZKOperatorInfo, kOperatorCount> kOperators{{
    {kOpOpenSquare, "[", 14, true},
    {kOpCloseSquare, "]", 14, true},
    {kOpOpenRound, "(", 14, true},
    {kOpCloseRound, ")", 14, true},
    {kOpOpenCurly, "{", 14, true},
    {kOpCloseCurly, "}", 14, true},
    {kOpLogicalNot, "!", 13, false},
    {kOpBitwiseNot, "~", 13, false},
    {kOpUnaryMinus, "", 13, false},
    {kOpUnaryPlus, "", 13, false},
    {kOpPlus, "+", 11, true},
    {kOpMinus, "-", 11, true},
    {kOpMultiply, "*", 12, true},
    {kOpDivide, "/", 12, true},
    {kOpModulus, "%", 12, true},
    {kOpLeftShift, "<<", 10, true},
    {kOpRightShift, ">>", 10, true},
    {kOpLess, "<", 9, true},
    {kOpLessEqual, "<=", 9, true},
    {kOpGreater, ">", 9, true},
    {kOpGreaterEqual, ">=", 9, true},
    {kOpEqual, "==", 8, true},
    {kOpNotEqual, "!=", 8, true},
    {kOpBitwiseAnd, "&", 7, true},
    {kOpBitwiseXor, "^", 6, true},
    {kOpBitwiseOr, "|", 5, true},
    {kOpLogicalAnd, "&&", 4, true},
    {kOpAnd, "and", 4, true},
    {kOpLogicalOr, "||", 3, true},
    {kOpOr, "or", 3, true},
    {kOpQuestion, "?", 2, false},
    {kOpColon, ":", 1, false},
    {kOpAssign, "=", 0, false},
    {kOpMultiplyAssign, "*=", 0, false},
    {kOpDivideAssign, "/=", 0, false},
    {kOpModulusAssign, "%=", 0, false},
    {kOpPlusAssign, "+=", 0, false},
    {kOpMinusAssign, "-=", 0, false},
    {kOpLeftShiftAssign, "<<=", 0, false},
    {kOpRightShiftAssign, ">>=", 0, false},
    {kOpBitwiseAndAssign, "&=", 0, false},
    {kOpBitwiseXorAssign, "^=", 0, false},
    {kOpBitwiseOrAssign, "|=", 0, false},
    {kOpComma, ",", -1, true},
    {kOpSemicolon, ";", -2, true},
    {kOpComment, "//", -2, true},
}};

bool IsLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Shift counts use the lowest 8 bits; 64 and more shift everything out.
int ShiftCount(double b) {
    return static_cast<int>(ZKToInteger(b) & 0xFF);
}

}  // namespace

const ZKOperatorInfo& ZKOperatorById(int id) {
    return kOperators[static_cast<std::size_t>(id)];
}

const ZKOperatorInfo* ZKFindOperator(std::string_view text) {
    if (text.empty()) return nullptr;
    // Only "and" and "or" are made of letters; everything else starts with an operator character.
    if (!ZKIsOperatorChar(text[0]) && text != "and" && text != "or") return nullptr;
    for (const auto& op : kOperators) {
        if (text == op.text) return &op;
    }
    return nullptr;
}

bool ZKIsOperatorChar(char c) {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (const auto& op : kOperators) {
            for (const char* p = op.text; *p != '\0'; ++p) {
                if (!IsLetterOrDigit(*p)) t[static_cast<unsigned char>(*p)] = true;
            }
        }
        return t;
    }();
    return table[static_cast<unsigned char>(c)];
}

bool ZKIsOperatorText(std::string_view text) {
    return ZKFindOperator(text) != nullptr;
}

bool ZKArith::Modulus(double a, double b, double& r) {
    const std::int64_t divisor = ZKToInteger(b);
    if (divisor == 0) return false;
    // INT64_MIN % -1 overflows in hardware; the remainder is 0 anyway.
    r = divisor == -1 ? 0.0 : static_cast<double>(ZKToInteger(a) % divisor);
    return true;
}

bool ZKArith::LeftShift(double a, double b, double& r) {
    const int count = ShiftCount(b);
    if (count >= 64) {
        r = 0.0;
        return true;
    }
    const auto bits = static_cast<std::uint64_t>(ZKToInteger(a)) << count;
    r = static_cast<double>(static_cast<std::int64_t>(bits));
    return true;
}

bool ZKArith::RightShift(double a, double b, double& r) {
    const int count = ShiftCount(b);
    const std::int64_t value = ZKToInteger(a);
    if (count >= 64) {
        r = value < 0 ? -1.0 : 0.0;
        return true;
    }
    r = static_cast<double>(value >> count);
    return true;
}

bool ZKArith::BitwiseAnd(double a, double b, double& r) {
    r = static_cast<double>(ZKToInteger(a) & ZKToInteger(b));
    return true;
}

bool ZKArith::BitwiseXor(double a, double b, double& r) {
    r = static_cast<double>(ZKToInteger(a) ^ ZKToInteger(b));
    return true;
}

bool ZKArith::BitwiseOr(double a, double b, double& r) {
    r = static_cast<double>(ZKToInteger(a) | ZKToInteger(b));
    return true;
}

ZKParserOperatorSimple::ZKParserOperatorSimple(ZKNodePtr left, ZKNodePtr right)
    : left_(std::move(left)), right_(std::move(right)) {
    stateful_ = left_->IsStateful() || right_->IsStateful();
}

bool ZKParserOperatorSimple::IsConstant(const ZKSampleContext* context) const {
    return left_->IsConstant(context) && right_->IsConstant(context);
}

void ZKParserOperatorSimple::ResetState() {
    left_->ResetState();
    right_->ResetState();
}

ZKParserOperatorRight::ZKParserOperatorRight(ZKNodePtr operand) : operand_(std::move(operand)) {
    stateful_ = operand_->IsStateful();
}

bool ZKParserOperatorRight::IsConstant(const ZKSampleContext* context) const {
    return operand_->IsConstant(context);
}

void ZKParserOperatorRight::ResetState() {
    operand_->ResetState();
}

ZKParserOperatorAssignment::ZKParserOperatorAssignment(std::unique_ptr<ZKParserVariableHolder> target,
                                                       ZKNodePtr right)
    : ZKParserOperatorSimple(std::move(target), std::move(right)) {
    auto& holder = static_cast<ZKParserVariableHolder&>(*left_);
    values_ = holder.Variable().values.data();
    defined_ = holder.Variable().defined.data();
    indexed_ = holder.HasIndices();
}

namespace {

// Two leaf operands get the node that reads them in place.
template <ZKArithFn Fn, bool V1>
ZKNodePtr Binary(ZKNodePtr l, ZKNodePtr r) {
    if (l->IsLeaf() && r->IsLeaf())
        return std::make_unique<TZKOperatorBinaryLeaves<Fn>>(std::move(l), std::move(r));
    return std::make_unique<TZKOperatorBinary<Fn, V1>>(std::move(l), std::move(r));
}

template <bool V1>
ZKNodePtr MakeBinary(int id, ZKNodePtr l, ZKNodePtr r) {
    switch (id) {
        case kOpMultiply:
        case kOpUnaryMinus:
            return Binary<&ZKArith::Multiply, V1>(std::move(l), std::move(r));
        case kOpDivide:
            return Binary<&ZKArith::Divide, V1>(std::move(l), std::move(r));
        case kOpModulus:
            return Binary<&ZKArith::Modulus, V1>(std::move(l), std::move(r));
        case kOpPlus:
            return Binary<&ZKArith::Plus, V1>(std::move(l), std::move(r));
        case kOpMinus:
            return Binary<&ZKArith::Minus, V1>(std::move(l), std::move(r));
        case kOpLeftShift:
            return Binary<&ZKArith::LeftShift, V1>(std::move(l), std::move(r));
        case kOpRightShift:
            return Binary<&ZKArith::RightShift, V1>(std::move(l), std::move(r));
        case kOpLess:
            return Binary<&ZKArith::Less, V1>(std::move(l), std::move(r));
        case kOpLessEqual:
            return Binary<&ZKArith::LessEqual, V1>(std::move(l), std::move(r));
        case kOpGreater:
            return Binary<&ZKArith::Greater, V1>(std::move(l), std::move(r));
        case kOpGreaterEqual:
            return Binary<&ZKArith::GreaterEqual, V1>(std::move(l), std::move(r));
        case kOpEqual:
            return Binary<&ZKArith::Equal, V1>(std::move(l), std::move(r));
        case kOpNotEqual:
            return Binary<&ZKArith::NotEqual, V1>(std::move(l), std::move(r));
        case kOpBitwiseAnd:
            return Binary<&ZKArith::BitwiseAnd, V1>(std::move(l), std::move(r));
        case kOpBitwiseXor:
            return Binary<&ZKArith::BitwiseXor, V1>(std::move(l), std::move(r));
        case kOpBitwiseOr:
            return Binary<&ZKArith::BitwiseOr, V1>(std::move(l), std::move(r));
        case kOpLogicalAnd:
        case kOpAnd:
            return std::make_unique<TZKOperatorLogical<true, V1>>(std::move(l), std::move(r));
        case kOpLogicalOr:
        case kOpOr:
            return std::make_unique<TZKOperatorLogical<false, V1>>(std::move(l), std::move(r));
        default:
            return nullptr;
    }
}

template <bool V1>
ZKNodePtr MakeAssign(int id, std::unique_ptr<ZKParserVariableHolder> t, ZKNodePtr r) {
    switch (id) {
        case kOpAssign:
            return std::make_unique<TZKOperatorAssign<nullptr, V1>>(std::move(t), std::move(r));
        case kOpMultiplyAssign:
            return std::make_unique<TZKOperatorAssign<&ZKArith::Multiply, V1>>(std::move(t), std::move(r));
        case kOpDivideAssign:
            return std::make_unique<TZKOperatorAssign<&ZKArith::Divide, V1>>(std::move(t), std::move(r));
        case kOpModulusAssign:
            return std::make_unique<TZKOperatorAssign<&ZKArith::Modulus, V1>>(std::move(t), std::move(r));
        case kOpPlusAssign:
            return std::make_unique<TZKOperatorAssign<&ZKArith::Plus, V1>>(std::move(t), std::move(r));
        case kOpMinusAssign:
            return std::make_unique<TZKOperatorAssign<&ZKArith::Minus, V1>>(std::move(t), std::move(r));
        case kOpLeftShiftAssign:
            return std::make_unique<TZKOperatorAssign<&ZKArith::LeftShift, V1>>(std::move(t), std::move(r));
        case kOpRightShiftAssign:
            return std::make_unique<TZKOperatorAssign<&ZKArith::RightShift, V1>>(std::move(t), std::move(r));
        case kOpBitwiseAndAssign:
            return std::make_unique<TZKOperatorAssign<&ZKArith::BitwiseAnd, V1>>(std::move(t), std::move(r));
        case kOpBitwiseXorAssign:
            return std::make_unique<TZKOperatorAssign<&ZKArith::BitwiseXor, V1>>(std::move(t), std::move(r));
        case kOpBitwiseOrAssign:
            return std::make_unique<TZKOperatorAssign<&ZKArith::BitwiseOr, V1>>(std::move(t), std::move(r));
        default:
            return nullptr;
    }
}

}  // namespace

ZKNodePtr ZKMakeBinaryOperator(int id, int version, ZKNodePtr left, ZKNodePtr right) {
    return version == 1 ? MakeBinary<true>(id, std::move(left), std::move(right))
                        : MakeBinary<false>(id, std::move(left), std::move(right));
}

ZKNodePtr ZKMakeUnaryOperator(int id, int version, ZKNodePtr operand) {
    if (id == kOpLogicalNot) {
        if (version == 1) return std::make_unique<ZKParserOperatorLogicalNotV1>(std::move(operand));
        return std::make_unique<ZKParserOperatorLogicalNot>(std::move(operand));
    }
    if (version == 1) return std::make_unique<ZKParserOperatorBitwiseNotV1>(std::move(operand));
    return std::make_unique<ZKParserOperatorBitwiseNot>(std::move(operand));
}

ZKNodePtr ZKMakeThenElse(int version, ZKNodePtr condition, ZKNodePtr thenNode, ZKNodePtr elseNode) {
    if (version == 1) {
        return std::make_unique<ZKParserOperatorThenElseV1>(std::move(condition), std::move(thenNode),
                                                            std::move(elseNode));
    }
    return std::make_unique<ZKParserOperatorThenElse>(std::move(condition), std::move(thenNode),
                                                      std::move(elseNode));
}

ZKNodePtr ZKMakeAssignment(int id, int version, std::unique_ptr<ZKParserVariableHolder> target,
                           ZKNodePtr right) {
    return version == 1 ? MakeAssign<true>(id, std::move(target), std::move(right))
                        : MakeAssign<false>(id, std::move(target), std::move(right));
}
