#include "Common/expression/ZKExprTool.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>
#include <vector>

#include "Common/expression/ZKExpression.h"
#include "Common/expression/ZKSampleTable.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool Number(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

bool Unsigned(const std::string& text, std::uint32_t& value) {
    double v = 0.0;
    if (!Number(text, v) || v < 0.0 || v > 1000.0 ||
        v != static_cast<double>(static_cast<std::uint32_t>(v))) {
        return false;
    }
    value = static_cast<std::uint32_t>(v);
    return true;
}

std::string WithoutFinalNewline(std::string text) {
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

}  // namespace

std::unique_ptr<ZKFormat> ZKParseFormatOption(const std::string& text, std::string& error) {
    const auto colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const auto parts =
        colon == std::string::npos ? std::vector<std::string>{} : Split(text.substr(colon + 1), ',');
    if (kind == "real" || kind == "time") {
        double low = 0.0, high = 0.0;
        std::uint32_t decimals = 0;
        if (parts.size() < 3 || parts.size() > 4 || !Number(parts[0], low) || !Number(parts[1], high) ||
            !Unsigned(parts[2], decimals)) {
            error = "expected " + kind + ":LOW,HIGH,DECIMALS" + (kind == "real" ? "[,RADIX]" : "[,s|ns]");
            return nullptr;
        }
        if (kind == "real") {
            std::uint32_t radix = 10;
            if (parts.size() == 4 && (!Unsigned(parts[3], radix) || (radix != 10 && radix != 16))) {
                error = "the radix is 10 or 16";
                return nullptr;
            }
            return std::make_unique<ZKFormatReal>(ZKLimits(low, high), decimals, radix);
        }
        if (parts.size() == 4 && parts[3] != "s" && parts[3] != "ns") {
            error = "the time unit is s or ns";
            return nullptr;
        }
        if (decimals > 8) {
            error = "a time has at most 8 decimals";
            return nullptr;
        }
        const bool seconds = parts.size() < 4 || parts[3] == "s";
        return std::make_unique<ZKFormatTime>(ZKLimits(low, high), seconds ? 1 : 0, decimals);
    }
    if (kind == "enum" && !parts.empty()) {
        std::vector<double> values;
        std::vector<std::string> names;
        for (const auto& part : parts) {
            const auto equals = part.find('=');
            double value = 0.0;
            if (equals == std::string::npos || !Number(part.substr(0, equals), value)) {
                error = "expected enum:VALUE=NAME,...";
                return nullptr;
            }
            values.push_back(value);
            names.push_back(part.substr(equals + 1));
        }
        // An enumeration value is a 32-bit integer; the limits admit all of them.
        return std::make_unique<ZKFormatEnum>(ZKLimits(INT_MIN, INT_MAX), std::move(values),
                                              std::move(names));
    }
    error = "expected real:..., time:... or enum:...";
    return nullptr;
}

int ZKRunExprTool(const ZKExprToolOptions& options, std::ostream& out, std::ostream& err) {
    std::unique_ptr<ZKFormat> format;
    if (!options.format.empty()) {
        std::string error;
        format = ZKParseFormatOption(options.format, error);
        if (!format) {
            err << "--format: " << error << "\n";
            return 1;
        }
    }
    ZKSampleTable table;
    if (!options.csvFile.empty()) {
        std::ifstream file(options.csvFile, std::ios::binary);
        if (!file) {
            err << "cannot read " << options.csvFile << "\n";
            return 1;
        }
        std::stringstream text;
        text << file.rdbuf();
        std::string error;
        if (!table.LoadCsv(text.str(), error)) {
            err << options.csvFile << ": " << error << "\n";
            return 1;
        }
    } else {
        table.SetEmpty(options.samples);
    }

    ZKExpression expression;
    if (!expression.Compile(options.expression, &table)) {
        err << WithoutFinalNewline(expression.ErrorMessage()) << "\n";
        const auto& tokens = expression.Tokens();
        if (expression.ErrorToken() < tokens.size()) {
            err << "at \"" << expression.ErrorTokenText() << "\" (offset "
                << tokens[expression.ErrorToken()].offset << ")\n";
        }
        return 1;
    }

    ZKVariable* sample = expression.FindVariable("zk.sample");
    ZKVariable* time = expression.FindVariable("zk.time");
    ZKVariable* sampleSize = expression.FindVariable("zk.sampleSize");
    ZKVariable* lastSample = expression.FindVariable("zk.lastSample");
    const double intervalNs = options.intervalMs * 1e6;
    const std::size_t count = table.SampleCount();
    for (std::size_t s = 0; s < count; ++s) {
        ZKSampleContext context;
        context.time = table.SampleTime(s, intervalNs);
        context.interval = table.SampleInterval(s, intervalNs);
        table.SetCurrentSample(s);
        sample->Set(0, static_cast<double>(s), true);
        time->Set(0, context.time / 1e9, true);
        sampleSize->Set(0, context.interval / 1e9, true);
        lastSample->Set(0, s + 1 == count ? 1.0 : 0.0, true);
        double value = 0.0;
        if (!expression.Evaluate(context, value)) {
            out << "undefined\n";
        } else if (format) {
            out << format->Format(value) << "\n";
        } else {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.17g", value);
            out << buffer << "\n";
        }
    }
    return 0;
}
