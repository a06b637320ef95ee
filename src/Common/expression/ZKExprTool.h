#pragma once
// The work of the zkexpr tool: compile one expression and evaluate it once per sample of a sample
// table, printing one line per sample. The command line front-end only fills ZKExprToolOptions.

#include <iosfwd>
#include <memory>
#include <string>

#include "Common/ZKFormat.h"

struct ZKExprToolOptions {
    std::string expression;
    std::string csvFile;       // empty: no CSV
    std::size_t samples = 1;   // used without CSV
    double intervalMs = 10.0;  // used without a time column
    std::string format;        // empty, or "real:...", "time:...", "enum:..."
};

// Builds a format from "real:LOW,HIGH,DECIMALS[,RADIX]", "time:LOW,HIGH,DECIMALS[,s|ns]" or
// "enum:VALUE=NAME,...". Null with a message on a malformed text.
std::unique_ptr<ZKFormat> ZKParseFormatOption(const std::string& text, std::string& error);

// Runs the tool; returns the process exit code (0, or 1 on any error, reported on err).
int ZKRunExprTool(const ZKExprToolOptions& options, std::ostream& out, std::ostream& err);
