#pragma once
// Internal-consistency checks that report and let the caller continue with its fallback.
//
//     if (!ZKASSERT(index < size)) return false;
//
// A failed check is reported with the source unit ("Common/TextFile") and line. Reports made on the GUI
// thread go straight to the installed viewer; reports from any other thread are queued and the GUI thread is
// woken to show them (the window system installs both hooks). Without hooks, reports go to standard error.
// ZKASSERT never aborts.

#include <functional>
#include <string>
#include <vector>

namespace zk {

struct AssertReport {
    std::string unit;  // source path below src/ without extension, e.g. "Common/TextFile"
    int line = 0;
    std::string expression;
};

// Records a failed check. Safe on any thread.
void ReportAssertion(const char* file, int line, const char* expression);

// "src/Common/TextFile.cpp" or "/abs/path/src/Common/TextFile.cpp" -> "Common/TextFile".
std::string SourceUnitName(const char* file);

struct AssertHooks {
    std::function<bool()> isGuiThread;              // true when called on the GUI thread
    std::function<void(const AssertReport&)> show;  // called on the GUI thread
    std::function<void()> wakeGuiThread;            // e.g. posts WMU_ASSERT_REPORT; any thread
};

// Installs the hooks; an empty set restores reporting to standard error.
void SetAssertHooks(AssertHooks hooks);

// Called on the GUI thread when woken: shows every queued report in arrival order.
void DeliverQueuedAssertReports();

// Number of reports made since start-up (any thread); for tests and diagnostics.
unsigned long AssertReportCount();

}  // namespace zk

#define ZKASSERT(cond) \
    (static_cast<bool>(cond) ? true : (::zk::ReportAssertion(__FILE__, __LINE__, #cond), false))
