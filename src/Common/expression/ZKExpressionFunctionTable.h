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

// A maximum argument count for functions that take any number from their minimum on.
constexpr int kAnyCount = 1 << 20;

struct ZKFunctionRow {
    int id;
    const char* name;
    const char* signature;
    const char* help;
    int minArgs;
    int maxArgs;
};

// The argument counts a function takes: from the smallest minimum to the largest maximum of its rows.
struct ZKFunctionArity {
    int min = 0;
    int max = 0;
    bool Accepts(std::size_t count) const {
        return count >= static_cast<std::size_t>(min) && count <= static_cast<std::size_t>(max);
    }
};

// All rows, the last one standing for "not a function".
int ZKFunctionRowCount();
const ZKFunctionRow& ZKFunctionRowAt(int row);
// The id of the first row with this name, or kFnNotAFunction.
int ZKFindFunction(std::string_view name);
ZKFunctionArity ZKFunctionArityOf(int id);
