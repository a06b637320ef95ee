#pragma once
// Operator node names of language version 1: the same arithmetic as version 2, but a stateful operand
// that the result does not need is still evaluated (see ZKExpressionOperators.h).

#include "Common/expression/ZKExpressionOperators.h"

using ZKParserOperatorMultiplyV1 = TZKOperatorBinary<&ZKArith::Multiply, true>;
using ZKParserOperatorDivideV1 = TZKOperatorBinary<&ZKArith::Divide, true>;
using ZKParserOperatorModulusV1 = TZKOperatorBinary<&ZKArith::Modulus, true>;
using ZKParserOperatorPlusV1 = TZKOperatorBinary<&ZKArith::Plus, true>;
using ZKParserOperatorMinusV1 = TZKOperatorBinary<&ZKArith::Minus, true>;
using ZKParserOperatorLeftShiftV1 = TZKOperatorBinary<&ZKArith::LeftShift, true>;
using ZKParserOperatorRightShiftV1 = TZKOperatorBinary<&ZKArith::RightShift, true>;
using ZKParserOperatorLessThanV1 = TZKOperatorBinary<&ZKArith::Less, true>;
using ZKParserOperatorLessThanOrEqualV1 = TZKOperatorBinary<&ZKArith::LessEqual, true>;
using ZKParserOperatorGreaterThanV1 = TZKOperatorBinary<&ZKArith::Greater, true>;
using ZKParserOperatorGreaterThanOrEqualV1 = TZKOperatorBinary<&ZKArith::GreaterEqual, true>;
using ZKParserOperatorEqualV1 = TZKOperatorBinary<&ZKArith::Equal, true>;
using ZKParserOperatorNotEqualV1 = TZKOperatorBinary<&ZKArith::NotEqual, true>;
using ZKParserOperatorBitwiseAndV1 = TZKOperatorBinary<&ZKArith::BitwiseAnd, true>;
using ZKParserOperatorBitwiseXorV1 = TZKOperatorBinary<&ZKArith::BitwiseXor, true>;
using ZKParserOperatorBitwiseOrV1 = TZKOperatorBinary<&ZKArith::BitwiseOr, true>;
using ZKParserOperatorLogicalAndV1 = TZKOperatorLogical<true, true>;
using ZKParserOperatorLogicalOrV1 = TZKOperatorLogical<false, true>;
using ZKParserOperatorThenElseV1 = TZKOperatorThenElse<true>;
using ZKParserOperatorLogicalNotV1 = TZKOperatorLogicalNot<true>;
using ZKParserOperatorBitwiseNotV1 = TZKOperatorBitwiseNot<true>;
using ZKParserOperatorSimpleAssignV1 = TZKOperatorAssign<nullptr, true>;
using ZKParserOperatorMultiplyAssignV1 = TZKOperatorAssign<&ZKArith::Multiply, true>;
using ZKParserOperatorDivideAssignV1 = TZKOperatorAssign<&ZKArith::Divide, true>;
using ZKParserOperatorModulusAssignV1 = TZKOperatorAssign<&ZKArith::Modulus, true>;
using ZKParserOperatorPlusAssignV1 = TZKOperatorAssign<&ZKArith::Plus, true>;
using ZKParserOperatorMinusAssignV1 = TZKOperatorAssign<&ZKArith::Minus, true>;
using ZKParserOperatorLeftShiftAssignV1 = TZKOperatorAssign<&ZKArith::LeftShift, true>;
using ZKParserOperatorRightShiftAssignV1 = TZKOperatorAssign<&ZKArith::RightShift, true>;
using ZKParserOperatorBitwiseAndAssignV1 = TZKOperatorAssign<&ZKArith::BitwiseAnd, true>;
using ZKParserOperatorBitwiseXorAssignV1 = TZKOperatorAssign<&ZKArith::BitwiseXor, true>;
using ZKParserOperatorBitwiseOrAssignV1 = TZKOperatorAssign<&ZKArith::BitwiseOr, true>;
