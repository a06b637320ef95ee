#pragma once
// Periodic and one-shot ticks for timer clients: measured on the multimedia timer's thread, delivered on the
// GUI thread. One armed one-shot multimedia timer serves every registration; when an entry is due, the timer
// thread posts WMU_TIMER_TICK to the tick window, and that window's handler calls Deliver with the message's
// wParam.
//
// The state is process-wide and lives while the one ZKTimerServer object lives (the main window is that
// object). Every operation except Deliver may be called on any thread.
//
// A periodic registration never has more than 5 ticks waiting in the GUI thread's queue; further ticks are
// skipped until the GUI thread catches up. Its next due time counts from when it fired, not from when it was
// due. Ticks carry a serial number of their registration, so a tick posted before a registration was removed
// is ignored, even when a new registration has taken the old one's place.
//
// A client is called without the lock held, so it must be removed and destroyed on the GUI thread (as the
// main window's clients do in their destructors), never while another thread may still be delivering.

#include <cstdint>

#include "Common/ZKTimerClient.h"
#include "Platform/WindowTypes.h"

constexpr zk::UINT WMU_TIMER_TICK = zk::WM_USER + 43;

class ZKTimerServer {
public:
    ZKTimerServer();
    virtual ~ZKTimerServer();
    ZKTimerServer(const ZKTimerServer&) = delete;
    ZKTimerServer& operator=(const ZKTimerServer&) = delete;

    // The window that receives WMU_TIMER_TICK (the main window, once it exists).
    static void SetTickWindow(zk::HWND hwnd);

    // Replaces any registration of (id, client). A period of 0 is an internal error.
    static void AddPeriodic(std::uint32_t periodMs, std::uint32_t id, ZKTimerClient* client,
                            std::uint32_t param);
    // One tick after delayMs; a delay of 0 does nothing.
    static void AddOneShot(std::uint32_t delayMs, std::uint32_t id, ZKTimerClient* client,
                           std::uint32_t param);
    static bool Remove(std::uint32_t id, ZKTimerClient* client);
    static bool RemoveAll(ZKTimerClient* client);
    static bool IsRegistered(std::uint32_t id, ZKTimerClient* client);

    // GUI thread: hands the tick of a WMU_TIMER_TICK message (its wParam) to its client.
    static void Deliver(zk::WPARAM tick);

    // The resolution asked of the multimedia timer, in milliseconds.
    static std::uint32_t Resolution();
};
