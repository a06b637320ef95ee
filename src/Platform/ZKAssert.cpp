#include "Platform/ZKAssert.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>

namespace zk {
namespace {

struct Reporter {
    std::mutex mutex;
    AssertHooks hooks;
    std::deque<AssertReport> queue;
    std::atomic<unsigned long> count{0};
};

Reporter& TheReporter() {
    static Reporter reporter;
    return reporter;
}

void PrintToStderr(const AssertReport& report) {
    std::fprintf(stderr, "Assertion failed: %s, line %d: %s\n", report.unit.c_str(), report.line,
                 report.expression.c_str());
}

}  // namespace

std::string SourceUnitName(const char* file) {
    std::string path = file ? file : "";
    const auto src = path.rfind("src/");
    if (src != std::string::npos) path.erase(0, src + 4);
    // The device access and the expression language sit in folders of their own below Common; their units
    // keep the names they have always reported ("Common/ZKExpression").
    for (const char* folder : {"Common/device/", "Common/expression/"}) {
        if (path.starts_with(folder))
            path.erase(std::strlen("Common/"), std::strlen(folder) - std::strlen("Common/"));
    }
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
    return path;
}

void ReportAssertion(const char* file, int line, const char* expression) {
    Reporter& r = TheReporter();
    r.count.fetch_add(1, std::memory_order_relaxed);
    AssertReport report{SourceUnitName(file), line, expression ? expression : ""};

    std::unique_lock lock(r.mutex);
    if (!r.hooks.show) {
        PrintToStderr(report);
        return;
    }
    if (r.hooks.isGuiThread && r.hooks.isGuiThread()) {
        auto show = r.hooks.show;
        lock.unlock();  // the viewer may run a modal loop that reports again
        show(report);
        return;
    }
    r.queue.push_back(std::move(report));
    auto wake = r.hooks.wakeGuiThread;
    lock.unlock();
    if (wake) wake();
}

void SetAssertHooks(AssertHooks hooks) {
    Reporter& r = TheReporter();
    std::lock_guard lock(r.mutex);
    r.hooks = std::move(hooks);
}

void DeliverQueuedAssertReports() {
    Reporter& r = TheReporter();
    for (;;) {
        std::unique_lock lock(r.mutex);
        if (r.queue.empty()) return;
        AssertReport report = std::move(r.queue.front());
        r.queue.pop_front();
        auto show = r.hooks.show;
        lock.unlock();
        if (show)
            show(report);
        else
            PrintToStderr(report);
    }
}

unsigned long AssertReportCount() {
    return TheReporter().count.load(std::memory_order_relaxed);
}

}  // namespace zk
