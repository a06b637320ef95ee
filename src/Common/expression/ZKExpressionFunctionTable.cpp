#include "Common/expression/ZKExpressionFunctionTable.h"

#include <array>

namespace {

constexpr std::array<ZKFunctionRow, 69> kRows{{
    {kFnFloor, "floor", "floor(x)", "Largest whole number not greater than x"},
    {kFnCeil, "ceil", "ceil(x)", "Smallest whole number not less than x"},
    {kFnRound, "round", "round(x)", "x rounded to the nearest whole number (halves round up)"},
    {kFnSin, "sin", "sin(x)", "Sine of x (radians)"},
    {kFnCos, "cos", "cos(x)", "Cosine of x (radians)"},
    {kFnTan, "tan", "tan(x)", "Tangent of x (radians)"},
    {kFnArcSin, "asin", "asin(x)", "Arc sine of x, in radians"},
    {kFnArcCos, "acos", "acos(x)", "Arc cosine of x, in radians"},
    {kFnArcTan, "atan", "atan(x)", "Arc tangent of x, in radians"},
    {kFnAbs, "abs", "abs(x)", "Absolute value of x"},
    {kFnSign, "sign", "sign(x)", "-1, 0 or 1 by the sign of x"},
    {kFnExp, "exp", "exp(x)", "e raised to the power x"},
    {kFnLog, "log", "log(x)", "Natural logarithm of x; undefined for negative x"},
    {kFnSqrt, "sqrt", "sqrt(x)", "Square root of x; undefined for negative x"},
    {kFnMath, "math", "math(\"math name\")", "Value of the named math channel"},
    {kFnDuration, "duration", "duration(x)", "Seconds since x last became non-zero; 0 while x is 0"},
    {kFnInterpolatedValue, "interpolatedvalue", "interpolatedvalue(x)",
     "x calculated with interpolated item values"},
    {kFnPrevious, "previous", "previous(initial_const_value)",
     "Result of this expression one sample ago; the initial value until there is one"},
    {kFnPrevious, "previous", "previous(initial_const_value,sample)",
     "Result of this expression the given number of samples ago; the initial value until there is one"},
    {kFnPreviousX, "previousx", "previousx(x,initial_const_value)",
     "x one sample ago; the initial value until there is one"},
    {kFnPreviousX, "previousx", "previousx(x,initial_const_value,sample)",
     "x the given number of samples ago (1 to 500); the initial value until there is one"},
    {kFnPow, "pow", "pow(x,y)", "x raised to the power y"},
    {kFnFMod, "fmod", "fmod(x,y)", "Floating-point remainder of x divided by y"},
    {kFnMin, "min", "min(x,y,...)", "Smallest of the arguments"},
    {kFnMax, "max", "max(x,y,...)", "Largest of the arguments"},
    {kFnRunAvg, "runavg", "runavg(x,num_samples)",
     "Average of x over the last num_samples samples (1 to 500)"},
    {kFnRunAvg, "runavg", "runavg(x,max_samples,num_samples)",
     "Average of x over the last num_samples samples, at most max_samples (1 to 500)"},
    {kFnRunMin, "runmin", "runmin(x,num_samples)",
     "Minimum of x over the last num_samples samples (1 to 500)"},
    {kFnRunMin, "runmin", "runmin(x,max_samples,num_samples)",
     "Minimum of x over the last num_samples samples, at most max_samples (1 to 500)"},
    {kFnRunMax, "runmax", "runmax(x,num_samples)",
     "Maximum of x over the last num_samples samples (1 to 500)"},
    {kFnRunMax, "runmax", "runmax(x,max_samples,num_samples)",
     "Maximum of x over the last num_samples samples, at most max_samples (1 to 500)"},
    {kFnFilter, "filter", "filter(x,filter)",
     "First order filter of x; filter 0 passes x unchanged, filter 1 holds the first value"},
    {kFnNFilter, "nfilter", "nfilter(x,delta)",
     "x when it moves at most delta from the last accepted value, "
     "else the last accepted value"},
    {kFnCFilter, "cfilter", "cfilter(condition,x,filter)",
     "First order filter of x that only takes in samples while condition is non-zero and holds its value "
     "otherwise"},
    {kFnCFilter2, "cfilter2", "cfilter2(condition,x,min,max,filter)",
     "As cfilter, taking in only samples where x lies between min and max"},
    {kFnDerivative, "derivative", "derivative(x)", "Rate of change of x per second"},
    {kFnIntegral, "integral", "integral(x)", "Integral of x over time in seconds (trapezoid rule)"},
    {kFnIntegral, "integral", "integral(x,condition)",
     "Integral of x over time in seconds while condition is non-zero; restarts from 0 when it is 0"},
    {kFnTime, "time", "time()", "Time of the sample in seconds"},
    {kFnUndefined, "undefined", "undefined()", "An undefined value"},
    {kFnIsDefined, "isdefined", "isdefined(x)", "1 when x is defined, else 0"},
    {kFnLapTime, "laptime", "laptime()", "Time into the current lap in seconds"},
    {kFnLapTime, "laptime", "laptime(session)", "Duration of the current lap of a session in seconds"},
    {kFnLapTime, "laptime", "laptime(session,lap)", "Duration of a lap of a session in seconds"},
    {kFnFastestLapSession, "fastestlapsession", "fastestlapsession()", "Session holding the fastest lap"},
    {kFnFastestLap, "fastestlap", "fastestlap(session)", "Fastest lap of a session"},
    {kFnCTime, "ctime", "ctime()", "Time gained or lost against the fastest lap, by distance"},
    {kFnCTime, "ctime", "ctime(lap)", "Time gained or lost against a lap, by distance"},
    {kFnCTime, "ctime", "ctime(session,lap)", "Time gained or lost against a lap of a session, by distance"},
    {kFnInterpolate, "interpolate", "interpolate(channel, x1,y1, x2,y2 .... )",
     "Linear interpolation of channel between constant points of increasing x; the end values outside them"},
    {kFnExtrapolate, "extrapolate", "extrapolate(channel, x1,y1, x2,y2 .... )",
     "Linear interpolation of channel between constant points, continued beyond the first and last"},
    {kFnLookup, "lookup", "lookup(x, y0,y1,y2 .... )", "The x-th of the constant values, counting from 0"},
    {kFnBrkLookup, "brklookup", "brklookup(x, var_breakpoints, var_fraction_ret)",
     "Index of the breakpoint at or below x; the fraction to the next breakpoint goes to var_fraction_ret"},
    {kFnGetLap, "getlap", "getlap()", "Current lap number"},
    {kFnGetBeaconTimes, "getbeacontimes", "getbeacontimes(lap, var_starttime, var_endtime)",
     "Start and end time of a lap into two variables"},
    {kFnItemValueAt, "itemvalueat", "itemvalueat(monitem, absolute time)",
     "Value of a logged item at a time in seconds"},
    {kFnIf, "if", "if(condition,then,else)", "then when condition is non-zero, else the else value"},
    {kFnVar, "var", "var(name,value)", "Declares a variable with its initial value"},
    {kFnConst, "const", "const(name,value)", "Declares a constant"},
    {kFnMathLanguageVersion, "MathLanguageVersion", "MathLanguageVersion(x,y)",
     "Selects version x.y of this language; must come first"},
    {kFnReportData, "reportData", "reportData(x,y,value)", "Puts a value into cell x,y of the report"},
    {kFnReportLeft, "reportLeft", "reportLeft(y,text)", "Sets the heading of report row y"},
    {kFnReportTop, "reportTop", "reportTop(x,text)", "Sets the heading of report column x"},
    {kFnStat, "stat", "stat(name,type)", "Declares a statistic: MIN, MAX, AVG, STDDEV or LINEFIT"},
    {kFnStatReset, "statReset", "statReset(name)", "Empties a statistic"},
    {kFnStatUpdate, "statUpdate", "statUpdate(name,value)", "Feeds a value to a statistic"},
    {kFnStatUpdate, "statUpdate", "statUpdate(name,valueX,valueY)", "Feeds a pair to a LINEFIT statistic"},
    {kFnStatValue, "statValue", "statValue(name,int)",
     "Result of a statistic; index 1 is the coefficient of variation or the intercept, 2 the correlation"},
    {kFnNotAFunction, "", "", ""},
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
