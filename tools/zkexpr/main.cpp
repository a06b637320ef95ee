// zkexpr: try an expression against sample data, one result line per sample.

#include <CLI/CLI.hpp>

#include <iostream>

#include "Common/expression/ZKExprTool.h"

int main(int argc, char** argv) {
    ZKExprToolOptions options;
    CLI::App app{
        "Compiles EXPRESSION and evaluates it once per sample, printing the value with %.17g or "
        "\"undefined\".\n"
        "Before each sample the predefined variables are set: zk.sample (sample index from 0), zk.time\n"
        "(seconds), zk.sampleSize (the sample interval in seconds) and zk.lastSample (1 on the last sample,\n"
        "else 0). Every CSV column is an item named by its header. A compile error prints the message and\n"
        "the offending token and exits with 1. Put \"--\" before an expression that starts with \"-\".",
        "zkexpr"};
    app.add_option("EXPRESSION", options.expression, "the expression")->required();
    app.add_option(
        "--csv", options.csvFile,
        "samples from a CSV file: one sample per row, a header row naming the items; a column "
        "\"time\" gives the sample time in seconds. A name that is also a function (time) or holds "
        "spaces or operators is written in double quotes: \"time\", \"oil temp\"");
    app.add_option("--samples", options.samples, "number of samples without --csv (default 1)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--interval-ms", options.intervalMs,
                   "sample interval in milliseconds when there is no time column (default 10)")
        ->check(CLI::PositiveNumber);
    app.add_option("--format", options.format,
                   "print through a value format: real:LOW,HIGH,DECIMALS[,RADIX], "
                   "time:LOW,HIGH,DECIMALS[,s|ns] or enum:VALUE=NAME,...");
    app.get_formatter()->column_width(30);
    CLI11_PARSE(app, argc, argv);
    return ZKRunExprTool(options, std::cout, std::cerr);
}
