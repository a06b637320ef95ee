#pragma once
// What an expression may ask of the program that hosts it: items (logged or live values, optionally with
// one parameter), user channels, math channels (other expressions, by source text), lap and session data
// and a report grid. Every answer of this base class is "not found" or "undefined", so a host overrides
// only what it has; a name the host does not know makes the compile fail with "Unrecognised token".

#include <string>
#include <string_view>

struct ZKSampleContext;

class ZKExpressionHost {
public:
    virtual ~ZKExpressionHost() = default;

    // Items: a handle (>= 0) or -1. parameter is null when the item was written without one.
    virtual int FindItem(std::string_view name, const std::string* parameter);
    virtual bool ItemValue(int item, const ZKSampleContext& context, double& value);
    virtual bool ItemValueAt(int item, double timeNs, double& value);

    // User channels: a handle (>= 0) or -1.
    virtual int FindUserChannel(std::string_view name);
    virtual bool UserChannelValue(int channel, const ZKSampleContext& context, double& value);

    // Math channels: the channel's source text, or false when there is no such channel.
    virtual bool FindMathChannel(std::string_view name, std::string& source);

    // Laps and sessions. Negative session or lap numbers mean "the current one".
    virtual bool LapTime(const ZKSampleContext& context, int session, int lap, double& seconds);
    virtual bool FastestLapSession(double& session);
    virtual bool FastestLap(int session, double& lap);
    virtual bool HasDistanceChannel();
    virtual bool CompareTime(const ZKSampleContext& context, int session, int lap, double& seconds);
    virtual bool CurrentLap(const ZKSampleContext& context, double& lap);
    virtual bool BeaconTimes(int lap, double& startSeconds, double& endSeconds);

    // The report grid.
    virtual bool ReportData(int column, int row, double value);
    virtual bool ReportLeft(int row, const std::string& text);
    virtual bool ReportTop(int column, const std::string& text);
};
