#pragma once
// Sample data for trying expressions: a table of samples whose columns are items, read from CSV text.
// The header row names the columns; every further row is one sample. A column called "time" gives the
// sample time in seconds; it is an item too. Cells that are empty or not numbers are undefined values.

#include <optional>
#include <string>
#include <vector>

#include "Common/expression/ZKExpressionHost.h"

class ZKSampleTable : public ZKExpressionHost {
public:
    // Parses CSV text; false with a message when the text has no header or a row has too many cells.
    bool LoadCsv(const std::string& text, std::string& error);
    // A table of `count` samples without columns.
    void SetEmpty(std::size_t count);

    std::size_t SampleCount() const { return sampleCount_; }
    bool HasTimeColumn() const { return timeColumn_ >= 0; }
    // Sample times in nanoseconds: from the time column, else index * interval.
    double SampleTime(std::size_t sample, double intervalNs) const;
    double SampleInterval(std::size_t sample, double intervalNs) const;
    // The sample the next evaluation reads.
    void SetCurrentSample(std::size_t sample) { current_ = sample; }

    int FindItem(std::string_view name, const std::string* parameter) override;
    bool ItemValue(int item, const ZKSampleContext& context, double& value) override;
    // The value of the last sample at or before the time (seconds in nanoseconds); undefined before the
    // first sample or without a time column.
    bool ItemValueAt(int item, double timeNs, double& value) override;

private:
    std::vector<std::string> names_;
    std::vector<std::vector<std::optional<double>>> columns_;
    std::size_t sampleCount_ = 0;
    std::size_t current_ = 0;
    int timeColumn_ = -1;
};
