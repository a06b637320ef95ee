#include "Common/expression/ZKSampleTable.h"

#include <cmath>
#include <cstdlib>

namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    std::string cell = text.substr(first, last - first + 1);
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') cell = cell.substr(1, cell.size() - 2);
    return cell;
}

std::vector<std::string> SplitCells(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] == '"') quoted = !quoted;
        if (i == line.size() || (line[i] == ',' && !quoted)) {
            cells.push_back(Trim(line.substr(start, i - start)));
            start = i + 1;
        }
    }
    return cells;
}

std::optional<double> ParseCell(const std::string& cell) {
    if (cell.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(cell.c_str(), &end);
    if (end != cell.c_str() + cell.size()) return std::nullopt;
    return v;
}

}  // namespace

bool ZKSampleTable::LoadCsv(const std::string& text, std::string& error) {
    names_.clear();
    columns_.clear();
    sampleCount_ = 0;
    timeColumn_ = -1;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (Trim(line).empty()) continue;
        const auto cells = SplitCells(line);
        if (names_.empty()) {
            names_ = cells;
            columns_.resize(names_.size());
            for (std::size_t c = 0; c < names_.size(); ++c) {
                if (names_[c] == "time") timeColumn_ = static_cast<int>(c);
            }
            continue;
        }
        if (cells.size() > names_.size()) {
            error = "line " + std::to_string(lineNumber) + " has more cells than the header";
            return false;
        }
        for (std::size_t c = 0; c < names_.size(); ++c) {
            columns_[c].push_back(c < cells.size() ? ParseCell(cells[c]) : std::nullopt);
        }
        ++sampleCount_;
    }
    if (names_.empty()) {
        error = "no header row";
        return false;
    }
    return true;
}

void ZKSampleTable::SetEmpty(std::size_t count) {
    names_.clear();
    columns_.clear();
    timeColumn_ = -1;
    sampleCount_ = count;
}

double ZKSampleTable::SampleTime(std::size_t sample, double intervalNs) const {
    if (timeColumn_ >= 0) {
        const auto& t = columns_[static_cast<std::size_t>(timeColumn_)][sample];
        if (t) return *t * 1e9;
    }
    return static_cast<double>(sample) * intervalNs;
}

double ZKSampleTable::SampleInterval(std::size_t sample, double intervalNs) const {
    if (timeColumn_ < 0 || sampleCount_ < 2) return intervalNs;
    const std::size_t later = sample == 0 ? 1 : sample;
    return SampleTime(later, intervalNs) - SampleTime(later - 1, intervalNs);
}

int ZKSampleTable::FindItem(std::string_view name, const std::string* parameter) {
    if (parameter != nullptr) return -1;  // columns take no parameter
    for (std::size_t c = 0; c < names_.size(); ++c) {
        if (names_[c] == name) return static_cast<int>(c);
    }
    return -1;
}

bool ZKSampleTable::ItemValue(int item, const ZKSampleContext&, double& value) {
    if (item < 0 || static_cast<std::size_t>(item) >= columns_.size() || current_ >= sampleCount_)
        return false;
    const auto& cell = columns_[static_cast<std::size_t>(item)][current_];
    if (!cell) return false;
    value = *cell;
    return true;
}

bool ZKSampleTable::ItemValueAt(int item, double timeNs, double& value) {
    if (item < 0 || static_cast<std::size_t>(item) >= columns_.size() || timeColumn_ < 0) return false;
    std::optional<double> found;
    for (std::size_t s = 0; s < sampleCount_; ++s) {
        const auto& t = columns_[static_cast<std::size_t>(timeColumn_)][s];
        if (!t || *t * 1e9 > timeNs) break;
        found = columns_[static_cast<std::size_t>(item)][s];
    }
    if (!found) return false;
    value = *found;
    return true;
}
