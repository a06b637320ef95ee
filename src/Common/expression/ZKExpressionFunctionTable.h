#pragma once
// The function table of the expression language: one row per signature, looked up by exact,
// case-sensitive name. Rows that share a name share a function id (overloads by argument count).

#include <string_view>

enum ZKFunctionId : int {
    kFnFloor = 0,
    kFnCeil,
    kFnRound,
    kFnSin,
    kFnCos,
    kFnTan,
    kFnArcSin,
    kFnArcCos,
    kFnArcTan,
    kFnAbs,
    kFnSign,
    kFnExp,
    kFnLog,
    kFnSqrt,
    kFnMath,
    kFnDuration,
    kFnInterpolatedValue,
    kFnPrevious,
    kFnPreviousX,
    kFnPow,
    kFnFMod,
    kFnMin,
    kFnMax,
    kFnRunAvg,
    kFnRunMin,
    kFnRunMax,
    kFnFilter,
    kFnNFilter,
    kFnCFilter,
    kFnCFilter2,
    kFnDerivative,
    kFnIntegral,
    kFnTime,
    kFnUndefined,
    kFnIsDefined,
    kFnLapTime,
    kFnFastestLapSession,
    kFnFastestLap,
    kFnCTime,
    kFnInterpolate,
    kFnExtrapolate,
    kFnLookup,
    kFnBrkLookup,
    kFnGetLap,
    kFnGetBeaconTimes,
    kFnItemValueAt,
    kFnIf,
    kFnVar,
    kFnConst,
    kFnMathLanguageVersion,
    kFnReportData,
    kFnReportLeft,
    kFnReportTop,
    kFnStat,
    kFnStatReset,
    kFnStatUpdate,
    kFnStatValue,
    kFnNotAFunction  // a name that is not in the table
};

struct ZKFunctionRow {
    int id;
    const char* name;
    const char* signature;
    const char* help;
};

// All rows, the last one standing for "not a function".
int ZKFunctionRowCount();
const ZKFunctionRow& ZKFunctionRowAt(int row);
// The id of the first row with this name, or kFnNotAFunction.
int ZKFindFunction(std::string_view name);
