#include "Common/expression/ZKExpressionFunctionTable.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<ZKFunctionRow, 69> kRows{{
    {kFnFloor, "floor", "floor(x)", "Largest whole number not greater than x", 1, 1},
    {kFnCeil, "ceil", "ceil(x)", "Smallest whole number not less than x", 1, 1},
    {kFnRound, "round", "round(x)", "x rounded to the nearest whole number (halves round up)", 1, 1},
    {kFnSin, "sin", "sin(x)", "Sine of x (radians)", 1, 1},
    {kFnCos, "cos", "cos(x)", "Cosine of x (radians)", 1, 1},
    {kFnTan, "tan", "tan(x)", "Tangent of x (radians)", 1, 1},
    {kFnArcSin, "asin", "asin(x)", "Arc sine of x, in radians", 1, 1},
    {kFnArcCos, "acos", "acos(x)", "Arc cosine of x, in radians", 1, 1},
    {kFnArcTan, "atan", "atan(x)", "Arc tangent of x, in radians", 1, 1},
    {kFnAbs, "abs", "abs(x)", "Absolute value of x", 1, 1},
    {kFnSign, "sign", "sign(x)", "-1, 0 or 1 by the sign of x", 1, 1},
    {kFnExp, "exp", "exp(x)", "e raised to the power x", 1, 1},
    {kFnLog, "log", "log(x)", "Natural logarithm of x; undefined for negative x", 1, 1},
    {kFnSqrt, "sqrt", "sqrt(x)", "Square root of x; undefined for negative x", 1, 1},
    {kFnMath, "math", "math(\"math name\")", "Value of the named math channel", 1, 1},
    {kFnDuration, "duration", "duration(x)", "Seconds since x last became non-zero; 0 while x is 0", 1, 1},
    {kFnInterpolatedValue, "interpolatedvalue", "interpolatedvalue(x)",
     "x calculated with interpolated item values", 1, 1},
    {kFnPrevious, "previous", "previous(initial_const_value)",
     "Result of this expression one sample ago; the initial value until there is one", 1, 1},
    {kFnPrevious, "previous", "previous(initial_const_value,sample)",
     "Result of this expression the given number of samples ago; the initial value until there is one", 2, 2},
    {kFnPreviousX, "previousx", "previousx(x,initial_const_value)",
     "x one sample ago; the initial value until there is one", 2, 2},
    {kFnPreviousX, "previousx", "previousx(x,initial_const_value,sample)",
     "x the given number of samples ago (1 to 500); the initial value until there is one", 3, 3},
    {kFnPow, "pow", "pow(x,y)", "x raised to the power y", 2, 2},
    {kFnFMod, "fmod", "fmod(x,y)", "Floating-point remainder of x divided by y", 2, 2},
    {kFnMin, "min", "min(x,y,...)", "Smallest of the arguments", 2, kAnyCount},
    {kFnMax, "max", "max(x,y,...)", "Largest of the arguments", 2, kAnyCount},
    {kFnRunAvg, "runavg", "runavg(x,num_samples)",
     "Average of x over the last num_samples samples (1 to 500)", 2, 2},
    {kFnRunAvg, "runavg", "runavg(x,max_samples,num_samples)",
     "Average of x over the last num_samples samples, at most max_samples (1 to 500)", 3, 3},
    {kFnRunMin, "runmin", "runmin(x,num_samples)",
     "Minimum of x over the last num_samples samples (1 to 500)", 2, 2},
    {kFnRunMin, "runmin", "runmin(x,max_samples,num_samples)",
     "Minimum of x over the last num_samples samples, at most max_samples (1 to 500)", 3, 3},
    {kFnRunMax, "runmax", "runmax(x,num_samples)",
     "Maximum of x over the last num_samples samples (1 to 500)", 2, 2},
    {kFnRunMax, "runmax", "runmax(x,max_samples,num_samples)",
     "Maximum of x over the last num_samples samples, at most max_samples (1 to 500)", 3, 3},
    {kFnFilter, "filter", "filter(x,filter)",
     "First order filter of x; filter 0 passes x unchanged, filter 1 holds the first value", 2, 2},
    {kFnNFilter, "nfilter", "nfilter(x,delta)",
     "x when it moves at most delta from the last accepted value, "
     "else the last accepted value",
     2, 2},
    {kFnCFilter, "cfilter", "cfilter(condition,x,filter)",
     "First order filter of x that only takes in samples while condition is non-zero and holds its value "
     "otherwise",
     3, 3},
    {kFnCFilter2, "cfilter2", "cfilter2(condition,x,min,max,filter)",
     "As cfilter, taking in only samples where x lies between min and max", 5, 5},
    {kFnDerivative, "derivative", "derivative(x)", "Rate of change of x per second", 1, 1},
    {kFnIntegral, "integral", "integral(x)", "Integral of x over time in seconds (trapezoid rule)", 1, 1},
    {kFnIntegral, "integral", "integral(x,condition)",
     "Integral of x over time in seconds while condition is non-zero; restarts from 0 when it is 0", 2, 2},
    {kFnTime, "time", "time()", "Time of the sample in seconds", 0, 0},
    {kFnUndefined, "undefined", "undefined()", "An undefined value", 0, 0},
    {kFnIsDefined, "isdefined", "isdefined(x)", "1 when x is defined, else 0", 1, 1},
    {kFnLapTime, "laptime", "laptime()", "Time into the current lap in seconds", 0, 0},
    {kFnLapTime, "laptime", "laptime(session)", "Duration of the current lap of a session in seconds", 1, 1},
    {kFnLapTime, "laptime", "laptime(session,lap)", "Duration of a lap of a session in seconds", 2, 2},
    {kFnFastestLapSession, "fastestlapsession", "fastestlapsession()", "Session holding the fastest lap", 0,
     0},
    {kFnFastestLap, "fastestlap", "fastestlap(session)", "Fastest lap of a session", 1, 1},
    {kFnCTime, "ctime", "ctime()", "Time gained or lost against the fastest lap, by distance", 0, 0},
    {kFnCTime, "ctime", "ctime(lap)", "Time gained or lost against a lap, by distance", 1, 1},
    {kFnCTime, "ctime", "ctime(session,lap)", "Time gained or lost against a lap of a session, by distance",
     2, 2},
    {kFnInterpolate, "interpolate", "interpolate(channel, x1,y1, x2,y2 .... )",
     "Linear interpolation of channel between constant points of increasing x; the end values outside them",
     5, kAnyCount},
    {kFnExtrapolate, "extrapolate", "extrapolate(channel, x1,y1, x2,y2 .... )",
     "Linear interpolation of channel between constant points, continued beyond the first and last", 5,
     kAnyCount},
    {kFnLookup, "lookup", "lookup(x, y0,y1,y2 .... )", "The x-th of the constant values, counting from 0", 3,
     kAnyCount},
    {kFnBrkLookup, "brklookup", "brklookup(x, var_breakpoints, var_fraction_ret)",
     "Index of the breakpoint at or below x; the fraction to the next breakpoint goes to var_fraction_ret", 3,
     3},
    {kFnGetLap, "getlap", "getlap()", "Current lap number", 0, 0},
    {kFnGetBeaconTimes, "getbeacontimes", "getbeacontimes(lap, var_starttime, var_endtime)",
     "Start and end time of a lap into two variables", 3, 3},
    {kFnItemValueAt, "itemvalueat", "itemvalueat(monitem, absolute time)",
     "Value of a logged item at a time in seconds", 2, 2},
    // Version 1 asks for all three arguments.
    {kFnIf, "if", "if(condition,then,else)", "then when condition is non-zero, else the else value", 2, 3},
    {kFnVar, "var", "var(name,value)", "Declares a variable with its initial value", 2, kAnyCount},
    {kFnConst, "const", "const(name,value)", "Declares a constant", 2, kAnyCount},
    {kFnMathLanguageVersion, "MathLanguageVersion", "MathLanguageVersion(x,y)",
     "Selects version x.y of this language; must come first", 2, 2},
    {kFnReportData, "reportData", "reportData(x,y,value)", "Puts a value into cell x,y of the report", 3, 3},
    {kFnReportLeft, "reportLeft", "reportLeft(y,text)", "Sets the heading of report row y", 2, kAnyCount},
    {kFnReportTop, "reportTop", "reportTop(x,text)", "Sets the heading of report column x", 2, kAnyCount},
    {kFnStat, "stat", "stat(name,type)", "Declares a statistic: MIN, MAX, AVG, STDDEV or LINEFIT", 2, 2},
    {kFnStatReset, "statReset", "statReset(name)", "Empties a statistic", 1, 1},
    {kFnStatUpdate, "statUpdate", "statUpdate(name,value)", "Feeds a value to a statistic", 2, 2},
    {kFnStatUpdate, "statUpdate", "statUpdate(name,valueX,valueY)", "Feeds a pair to a LINEFIT statistic", 3,
     3},
    {kFnStatValue, "statValue", "statValue(name,int)",
     "Result of a statistic; index 1 is the coefficient of variation or the intercept, 2 the correlation", 2,
     2},
    {kFnNotAFunction, "", "", "", 0, 0},
}};

}  // namespace

int ZKFunctionRowCount() {
    return static_cast<int>(kRows.size());
}

const ZKFunctionRow& ZKFunctionRowAt(int row) {
    return kRows[static_cast<std::size_t>(row)];
}

int ZKFindFunction(std::string_view name) {
    if (name.empty()) return kFnNotAFunction;
    for (const auto& row : kRows) {
        if (name == row.name) return row.id;
    }
    return kFnNotAFunction;
}

ZKFunctionArity ZKFunctionArityOf(int id) {
    ZKFunctionArity arity{kAnyCount, 0};
    for (const auto& row : kRows) {
        if (row.id != id) continue;
        arity.min = std::min(arity.min, row.minArgs);
        arity.max = std::max(arity.max, row.maxArgs);
    }
    return arity;
}
