#include "Common/expression/ZKExpressionHost.h"

int ZKExpressionHost::FindItem(std::string_view, const std::string*) {
    return -1;
}
bool ZKExpressionHost::ItemValue(int, const ZKSampleContext&, double&) {
    return false;
}
bool ZKExpressionHost::ItemValueAt(int, double, double&) {
    return false;
}
int ZKExpressionHost::FindUserChannel(std::string_view) {
    return -1;
}
bool ZKExpressionHost::UserChannelValue(int, const ZKSampleContext&, double&) {
    return false;
}
bool ZKExpressionHost::FindMathChannel(std::string_view, std::string&) {
    return false;
}
bool ZKExpressionHost::LapTime(const ZKSampleContext&, int, int, double&) {
    return false;
}
bool ZKExpressionHost::FastestLapSession(double&) {
    return false;
}
bool ZKExpressionHost::FastestLap(int, double&) {
    return false;
}
bool ZKExpressionHost::HasDistanceChannel() {
    return false;
}
bool ZKExpressionHost::CompareTime(const ZKSampleContext&, int, int, double&) {
    return false;
}
bool ZKExpressionHost::CurrentLap(const ZKSampleContext&, double&) {
    return false;
}
bool ZKExpressionHost::BeaconTimes(int, double&, double&) {
    return false;
}
bool ZKExpressionHost::ReportData(int, int, double) {
    return false;
}
bool ZKExpressionHost::ReportLeft(int, const std::string&) {
    return false;
}
bool ZKExpressionHost::ReportTop(int, const std::string&) {
    return false;
}
