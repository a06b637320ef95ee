#pragma once
// Function node names of language version 1. They compute what their version 2 counterparts compute;
// in addition every node knows whether it is stateful (a function with memory, or any argument that
// is), so that the version 1 operators keep evaluating stateful operands they do not need. The report
// and statistic functions have no version 1 class.

#include <utility>

#include "Common/expression/ZKExpressionFunctions.h"
#include "Common/expression/ZKExpressionStatefulFunctions.h"

template <class Base>
class TZKFunctionV1 final : public Base {
public:
    template <class... Args>
    explicit TZKFunctionV1(Args&&... args) : Base(std::forward<Args>(args)...) {
        stateful_ = Base::kStateful || this->ArgsStateful();
    }
    bool IsStateful() const override { return stateful_; }

private:
    bool stateful_ = false;
};

// Like "?:" in version 1: when stateful, the argument not chosen is evaluated first for its state.
class ZKParserFunctionIfV1Base : public ZKParserFunctionIf {
public:
    using ZKParserFunctionIf::ZKParserFunctionIf;
    bool Evaluate(const ZKSampleContext* context, double& value) override;
};

using ZKParserFunctionFloorV1 = TZKFunctionV1<ZKParserFunctionFloor>;
using ZKParserFunctionCeilV1 = TZKFunctionV1<ZKParserFunctionCeil>;
using ZKParserFunctionRoundV1 = TZKFunctionV1<ZKParserFunctionRound>;
using ZKParserFunctionSinV1 = TZKFunctionV1<ZKParserFunctionSin>;
using ZKParserFunctionCosV1 = TZKFunctionV1<ZKParserFunctionCos>;
using ZKParserFunctionTanV1 = TZKFunctionV1<ZKParserFunctionTan>;
using ZKParserFunctionArcSinV1 = TZKFunctionV1<ZKParserFunctionArcSin>;
using ZKParserFunctionArcCosV1 = TZKFunctionV1<ZKParserFunctionArcCos>;
using ZKParserFunctionArcTanV1 = TZKFunctionV1<ZKParserFunctionArcTan>;
using ZKParserFunctionAbsV1 = TZKFunctionV1<ZKParserFunctionAbs>;
using ZKParserFunctionSignV1 = TZKFunctionV1<ZKParserFunctionSign>;
using ZKParserFunctionExpV1 = TZKFunctionV1<ZKParserFunctionExp>;
using ZKParserFunctionLogV1 = TZKFunctionV1<ZKParserFunctionLog>;
using ZKParserFunctionSqrtV1 = TZKFunctionV1<ZKParserFunctionSqrt>;
using ZKParserFunctionDurationV1 = TZKFunctionV1<ZKParserFunctionDuration>;
using ZKParserFunctionInterpolatedValueV1 = TZKFunctionV1<ZKParserFunctionInterpolatedValue>;
using ZKParserFunctionPreviousV1 = TZKFunctionV1<ZKParserFunctionPrevious>;
using ZKParserFunctionPreviousXV1 = TZKFunctionV1<ZKParserFunctionPreviousX>;
using ZKParserFunctionPowV1 = TZKFunctionV1<ZKParserFunctionPow>;
using ZKParserFunctionFModV1 = TZKFunctionV1<ZKParserFunctionFMod>;
using ZKParserFunctionMinV1 = TZKFunctionV1<ZKParserFunctionMin>;
using ZKParserFunctionMaxV1 = TZKFunctionV1<ZKParserFunctionMax>;
using ZKParserFunctionRunAvgV1 = TZKFunctionV1<ZKParserFunctionRunAvg>;
using ZKParserFunctionRunMinV1 = TZKFunctionV1<ZKParserFunctionRunMin>;
using ZKParserFunctionRunMaxV1 = TZKFunctionV1<ZKParserFunctionRunMax>;
using ZKParserFunctionFilterV1 = TZKFunctionV1<ZKParserFunctionFilter>;
using ZKParserFunctionNFilterV1 = TZKFunctionV1<ZKParserFunctionNFilter>;
using ZKParserFunctionCFilterV1 = TZKFunctionV1<ZKParserFunctionCFilter>;
using ZKParserFunctionCFilter2V1 = TZKFunctionV1<ZKParserFunctionCFilter2>;
using ZKParserFunctionDerivativeV1 = TZKFunctionV1<ZKParserFunctionDerivative>;
using ZKParserFunctionIntegralV1 = TZKFunctionV1<ZKParserFunctionIntegral>;
using ZKParserFunctionTimeV1 = TZKFunctionV1<ZKParserFunctionTime>;
using ZKParserFunctionUndefinedV1 = TZKFunctionV1<ZKParserFunctionUndefined>;
using ZKParserFunctionIsDefinedV1 = TZKFunctionV1<ZKParserFunctionIsDefined>;
using ZKParserFunctionLapTimeV1 = TZKFunctionV1<ZKParserFunctionLapTime>;
using ZKParserFunctionFastestLapSessionV1 = TZKFunctionV1<ZKParserFunctionFastestLapSession>;
using ZKParserFunctionFastestLapV1 = TZKFunctionV1<ZKParserFunctionFastestLap>;
using ZKParserFunctionCTimeV1 = TZKFunctionV1<ZKParserFunctionCTime>;
using ZKParserFunctionInterpolateV1 = TZKFunctionV1<ZKParserFunctionInterpolate>;
using ZKParserFunctionExtrapolateV1 = TZKFunctionV1<ZKParserFunctionExtrapolate>;
using ZKParserFunctionLookupV1 = TZKFunctionV1<ZKParserFunctionLookup>;
using ZKParserFunctionBrkLookupV1 = TZKFunctionV1<ZKParserFunctionBrkLookup>;
using ZKParserFunctionGetLapV1 = TZKFunctionV1<ZKParserFunctionGetLap>;
using ZKParserFunctionGetBeaconTimesV1 = TZKFunctionV1<ZKParserFunctionGetBeaconTimes>;
using ZKParserFunctionItemValueAtV1 = TZKFunctionV1<ZKParserFunctionItemValueAt>;
using ZKParserFunctionIfV1 = TZKFunctionV1<ZKParserFunctionIfV1Base>;
using ZKParserFunctionMathLanguageVersionV1 = TZKFunctionV1<ZKParserFunctionMathLanguageVersion>;
