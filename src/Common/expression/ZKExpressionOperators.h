#pragma once
// The operator table of the expression language and the operator nodes of language version 2.
//
// Every operator class is a template over its arithmetic and the language version; the version 2 names
// are declared here, the version 1 names in ZKExpressionOperatorsV1.h. Both versions compute the same
// values. They differ in which operands are evaluated when the result does not need them: version 2
// skips them; version 1 still evaluates a skipped operand when the node is stateful, so that running
// functions below it see every sample.

#include <cstdint>
#include <string_view>

#include "Common/expression/ZKParserNode.h"

// Operator ids, in the order of the operator table.
enum ZKOperatorId : int {
    kOpOpenSquare = 0,
    kOpCloseSquare,
    kOpOpenRound,
    kOpCloseRound,
    kOpOpenCurly,
    kOpCloseCurly,
    kOpLogicalNot,
    kOpBitwiseNot,
    kOpUnaryMinus,
    kOpUnaryPlus,
    kOpPlus,
    kOpMinus,
    kOpMultiply,
    kOpDivide,
    kOpModulus,
    kOpLeftShift,
    kOpRightShift,
    kOpLess,
    kOpLessEqual,
    kOpGreater,
    kOpGreaterEqual,
    kOpEqual,
    kOpNotEqual,
    kOpBitwiseAnd,
    kOpBitwiseXor,
    kOpBitwiseOr,
    kOpLogicalAnd,
    kOpAnd,
    kOpLogicalOr,
    kOpOr,
    kOpQuestion,
    kOpColon,
    kOpAssign,
    kOpMultiplyAssign,
    kOpDivideAssign,
    kOpModulusAssign,
    kOpPlusAssign,
    kOpMinusAssign,
    kOpLeftShiftAssign,
    kOpRightShiftAssign,
    kOpBitwiseAndAssign,
    kOpBitwiseXorAssign,
    kOpBitwiseOrAssign,
    kOpComma,
    kOpSemicolon,
    kOpComment,
    kOperatorCount
};

struct ZKOperatorInfo {
    int id;
    const char* text;  // empty for unary minus and plus, which have no text of their own
    int precedence;    // higher binds tighter
    bool leftGrouping;
};

const ZKOperatorInfo& ZKOperatorById(int id);
// The operator with exactly this text, or null.
const ZKOperatorInfo* ZKFindOperator(std::string_view text);
// True for a character that occurs in an operator text and is not a letter or digit.
bool ZKIsOperatorChar(char c);
// True when some operator has exactly this text.
bool ZKIsOperatorText(std::string_view text);

// ---- arithmetic of the operators ----------------------------------------------------------------------

struct ZKArith {
    static bool Multiply(double a, double b, double& r) { return r = a * b, true; }
    static bool Divide(double a, double b, double& r) { return b == 0.0 ? false : (r = a / b, true); }
    static bool Modulus(double a, double b, double& r);
    static bool Plus(double a, double b, double& r) { return r = a + b, true; }
    static bool Minus(double a, double b, double& r) { return r = a - b, true; }
    static bool LeftShift(double a, double b, double& r);
    static bool RightShift(double a, double b, double& r);
    static bool Less(double a, double b, double& r) { return r = a < b ? 1.0 : 0.0, true; }
    static bool LessEqual(double a, double b, double& r) { return r = a <= b ? 1.0 : 0.0, true; }
    static bool Greater(double a, double b, double& r) { return r = a > b ? 1.0 : 0.0, true; }
    static bool GreaterEqual(double a, double b, double& r) { return r = a >= b ? 1.0 : 0.0, true; }
    static bool Equal(double a, double b, double& r) { return r = a == b ? 1.0 : 0.0, true; }
    static bool NotEqual(double a, double b, double& r) { return r = a != b ? 1.0 : 0.0, true; }
    static bool BitwiseAnd(double a, double b, double& r);
    static bool BitwiseXor(double a, double b, double& r);
    static bool BitwiseOr(double a, double b, double& r);
};

using ZKArithFn = bool (*)(double, double, double&);

// ---- node bases -----------------------------------------------------------------------------------------

// Binary operators: left and right operand.
class ZKParserOperatorSimple : public ZKParserNode {
public:
    ZKParserOperatorSimple(ZKNodePtr left, ZKNodePtr right);
    bool IsConstant(const ZKSampleContext* context) const override;
    void ResetState() override;
    ZKParserNode& Left() const { return *left_; }
    ZKParserNode& Right() const { return *right_; }

protected:
    ZKNodePtr left_;
    ZKNodePtr right_;
    bool stateful_ = false;  // either operand keeps state (used by version 1 only)
};

// Unary operators: one operand.
class ZKParserOperatorRight : public ZKParserNode {
public:
    explicit ZKParserOperatorRight(ZKNodePtr operand);
    bool IsConstant(const ZKSampleContext* context) const override;
    void ResetState() override;

protected:
    ZKNodePtr operand_;
    bool stateful_ = false;
};

// Assignments: the left operand is always a variable holder.
class ZKParserOperatorAssignment : public ZKParserOperatorSimple {
public:
    ZKParserOperatorAssignment(std::unique_ptr<ZKParserVariableHolder> target, ZKNodePtr right);
    bool IsConstant(const ZKSampleContext*) const override { return false; }

protected:
    // Evaluates the value, addresses the element and stores through Combine (null for "=").
    template <ZKArithFn Combine>
    bool Assign(const ZKSampleContext* context, double& value) {
        double b = 0.0;
        const bool defined = right_->EvaluateFast(context, b);
        std::size_t element = 0;
        if (indexed_ && !static_cast<ZKParserVariableHolder&>(*left_).Address(context, element)) return false;
        double& slot = values_[element];
        unsigned char& slotDefined = defined_[element];
        if (Combine == nullptr) {  // folded by the compiler: Combine is a template argument
            if (defined) slot = b;
            slotDefined = defined ? 1 : 0;
        } else {
            double result = 0.0;
            if (defined && slotDefined != 0 && Combine(slot, b, result)) {
                slot = result;
                slotDefined = 1;
            } else {
                slotDefined = 0;  // keeps its old number
            }
        }
        // The statement is defined whenever the element could be addressed, whatever the value.
        value = b;
        return true;
    }

private:
    // The target variable's storage, and whether index expressions pick the element.
    double* values_;
    unsigned char* defined_;
    bool indexed_;
};

// ---- operator templates ---------------------------------------------------------------------------------

template <ZKArithFn Fn, bool V1>
class TZKOperatorBinary final : public ZKParserOperatorSimple {
public:
    using ZKParserOperatorSimple::ZKParserOperatorSimple;
    bool IsStateful() const override { return V1 && stateful_; }
    bool Evaluate(const ZKSampleContext* context, double& value) override {
        double a;
        if (!left_->EvaluateFast(context, a)) {
            if (V1 && stateful_) {
                double discarded;
                right_->EvaluateFast(context, discarded);
            }
            return false;
        }
        double b;
        if (!right_->EvaluateFast(context, b)) return false;
        return Fn(a, b, value);
    }
};

// A binary operator whose operands are both leaves (constants or plain variables), read in place. Leaves
// keep no state, so both language versions evaluate this node alike.
template <ZKArithFn Fn>
class TZKOperatorBinaryLeaves final : public ZKParserOperatorSimple {
public:
    TZKOperatorBinaryLeaves(ZKNodePtr left, ZKNodePtr right)
        : ZKParserOperatorSimple(std::move(left), std::move(right)),
          leftValue_(left_->LeafValue()),
          leftDefined_(left_->LeafDefined()),
          rightValue_(right_->LeafValue()),
          rightDefined_(right_->LeafDefined()) {}
    bool Evaluate(const ZKSampleContext*, double& value) override {
        if (*leftDefined_ == 0 || *rightDefined_ == 0) return false;
        return Fn(*leftValue_, *rightValue_, value);
    }

private:
    const double* leftValue_;
    const unsigned char* leftDefined_;
    const double* rightValue_;
    const unsigned char* rightDefined_;
};

// "&&" (IsAnd) and "||".
template <bool IsAnd, bool V1>
class TZKOperatorLogical final : public ZKParserOperatorSimple {
public:
    using ZKParserOperatorSimple::ZKParserOperatorSimple;
    bool IsStateful() const override { return V1 && stateful_; }
    bool Evaluate(const ZKSampleContext* context, double& value) override {
        double a;
        const bool leftDefined = left_->EvaluateFast(context, a);
        const bool decided = leftDefined && (IsAnd ? a == 0.0 : a != 0.0);
        if (!leftDefined || decided) {
            if (V1 && stateful_) {
                // The right side still sees the sample; an undefined right spoils the result.
                double discarded;
                if (!right_->EvaluateFast(context, discarded)) return false;
            }
            if (!leftDefined) return false;
            value = IsAnd ? 0.0 : 1.0;
            return true;
        }
        double b;
        if (!right_->EvaluateFast(context, b)) return false;
        value = (b != 0.0) ? 1.0 : 0.0;
        return true;
    }
};

template <bool V1>
class TZKOperatorThenElse final : public ZKParserNode {
public:
    TZKOperatorThenElse(ZKNodePtr condition, ZKNodePtr thenNode, ZKNodePtr elseNode)
        : condition_(std::move(condition)), then_(std::move(thenNode)), else_(std::move(elseNode)) {
        stateful_ = condition_->IsStateful() || then_->IsStateful() || else_->IsStateful();
    }
    bool IsStateful() const override { return V1 && stateful_; }
    bool IsConstant(const ZKSampleContext* context) const override {
        return condition_->IsConstant(context) && then_->IsConstant(context) && else_->IsConstant(context);
    }
    void ResetState() override {
        condition_->ResetState();
        then_->ResetState();
        else_->ResetState();
    }
    bool Evaluate(const ZKSampleContext* context, double& value) override {
        double c;
        const bool defined = condition_->EvaluateFast(context, c);
        if (V1 && stateful_) {
            // The branch not taken runs first for its state only; with no decision both run.
            double discarded;
            if (!defined || c == 0.0) then_->EvaluateFast(context, discarded);
            if (!defined || c != 0.0) else_->EvaluateFast(context, discarded);
        }
        if (!defined) return false;
        return (c != 0.0 ? then_ : else_)->EvaluateFast(context, value);
    }

private:
    ZKNodePtr condition_;
    ZKNodePtr then_;
    ZKNodePtr else_;
    bool stateful_ = false;
};

template <bool V1>
class TZKOperatorLogicalNot final : public ZKParserOperatorRight {
public:
    using ZKParserOperatorRight::ZKParserOperatorRight;
    bool IsStateful() const override { return V1 && stateful_; }
    bool Evaluate(const ZKSampleContext* context, double& value) override {
        double x;
        if (!operand_->EvaluateFast(context, x)) return false;
        value = x == 0.0 ? 1.0 : 0.0;
        return true;
    }
};

template <bool V1>
class TZKOperatorBitwiseNot final : public ZKParserOperatorRight {
public:
    using ZKParserOperatorRight::ZKParserOperatorRight;
    bool IsStateful() const override { return V1 && stateful_; }
    bool Evaluate(const ZKSampleContext* context, double& value) override {
        double x;
        if (!operand_->EvaluateFast(context, x)) return false;
        value = static_cast<double>(~ZKToInteger(x));
        return true;
    }
};

// Fn is null for the plain "=".
template <ZKArithFn Fn, bool V1>
class TZKOperatorAssign final : public ZKParserOperatorAssignment {
public:
    using ZKParserOperatorAssignment::ZKParserOperatorAssignment;
    bool IsStateful() const override { return V1 && stateful_; }
    bool Evaluate(const ZKSampleContext* context, double& value) override {
        return Assign<Fn>(context, value);
    }
};

// ---- version 2 class names ------------------------------------------------------------------------------

using ZKParserOperatorMultiply = TZKOperatorBinary<&ZKArith::Multiply, false>;
using ZKParserOperatorDivide = TZKOperatorBinary<&ZKArith::Divide, false>;
using ZKParserOperatorModulus = TZKOperatorBinary<&ZKArith::Modulus, false>;
using ZKParserOperatorPlus = TZKOperatorBinary<&ZKArith::Plus, false>;
using ZKParserOperatorMinus = TZKOperatorBinary<&ZKArith::Minus, false>;
using ZKParserOperatorLeftShift = TZKOperatorBinary<&ZKArith::LeftShift, false>;
using ZKParserOperatorRightShift = TZKOperatorBinary<&ZKArith::RightShift, false>;
using ZKParserOperatorLessThan = TZKOperatorBinary<&ZKArith::Less, false>;
using ZKParserOperatorLessThanOrEqual = TZKOperatorBinary<&ZKArith::LessEqual, false>;
using ZKParserOperatorGreaterThan = TZKOperatorBinary<&ZKArith::Greater, false>;
using ZKParserOperatorGreaterThanOrEqual = TZKOperatorBinary<&ZKArith::GreaterEqual, false>;
using ZKParserOperatorEqual = TZKOperatorBinary<&ZKArith::Equal, false>;
using ZKParserOperatorNotEqual = TZKOperatorBinary<&ZKArith::NotEqual, false>;
using ZKParserOperatorBitwiseAnd = TZKOperatorBinary<&ZKArith::BitwiseAnd, false>;
using ZKParserOperatorBitwiseXor = TZKOperatorBinary<&ZKArith::BitwiseXor, false>;
using ZKParserOperatorBitwiseOr = TZKOperatorBinary<&ZKArith::BitwiseOr, false>;
using ZKParserOperatorLogicalAnd = TZKOperatorLogical<true, false>;
using ZKParserOperatorLogicalOr = TZKOperatorLogical<false, false>;
using ZKParserOperatorThenElse = TZKOperatorThenElse<false>;
using ZKParserOperatorLogicalNot = TZKOperatorLogicalNot<false>;
using ZKParserOperatorBitwiseNot = TZKOperatorBitwiseNot<false>;
using ZKParserOperatorSimpleAssign = TZKOperatorAssign<nullptr, false>;
using ZKParserOperatorMultiplyAssign = TZKOperatorAssign<&ZKArith::Multiply, false>;
using ZKParserOperatorDivideAssign = TZKOperatorAssign<&ZKArith::Divide, false>;
using ZKParserOperatorModulusAssign = TZKOperatorAssign<&ZKArith::Modulus, false>;
using ZKParserOperatorPlusAssign = TZKOperatorAssign<&ZKArith::Plus, false>;
using ZKParserOperatorMinusAssign = TZKOperatorAssign<&ZKArith::Minus, false>;
using ZKParserOperatorLeftShiftAssign = TZKOperatorAssign<&ZKArith::LeftShift, false>;
using ZKParserOperatorRightShiftAssign = TZKOperatorAssign<&ZKArith::RightShift, false>;
using ZKParserOperatorBitwiseAndAssign = TZKOperatorAssign<&ZKArith::BitwiseAnd, false>;
using ZKParserOperatorBitwiseXorAssign = TZKOperatorAssign<&ZKArith::BitwiseXor, false>;
using ZKParserOperatorBitwiseOrAssign = TZKOperatorAssign<&ZKArith::BitwiseOr, false>;

// ---- construction by operator id ------------------------------------------------------------------------

// A binary operator node of the given language version; id is one of the binary operator ids (not the
// assignments). Returns null for an id without a binary node.
ZKNodePtr ZKMakeBinaryOperator(int id, int version, ZKNodePtr left, ZKNodePtr right);
// "!" or "~".
ZKNodePtr ZKMakeUnaryOperator(int id, int version, ZKNodePtr operand);
ZKNodePtr ZKMakeThenElse(int version, ZKNodePtr condition, ZKNodePtr thenNode, ZKNodePtr elseNode);
ZKNodePtr ZKMakeAssignment(int id, int version, std::unique_ptr<ZKParserVariableHolder> target,
                           ZKNodePtr right);
