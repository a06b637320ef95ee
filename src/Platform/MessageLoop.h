#pragma once
// The application's message loops: CMessageLoop runs GetMessage/dispatch with message filters and idle
// handlers; a modal dialog runs a nested CMessageLoop, and PostQuitMessage ends the innermost running loop
// with its exit code. CAppModule keeps the loop registered for each thread.

#include <map>
#include <thread>
#include <vector>

#include "Platform/Window.h"

namespace zk {

// Sees every message the loop takes before it is dispatched. Answering true consumes the message; a filter
// may also change msg->hwnd to re-address it.
class CMessageFilter {
public:
    virtual ~CMessageFilter() = default;
    virtual bool PreTranslateMessage(MSG* msg) = 0;
};

// Called while the queue is empty; answering false stops the idle calls until the next ordinary message.
class CIdleHandler {
public:
    virtual ~CIdleHandler() = default;
    virtual bool OnIdle() = 0;
};

class CMessageLoop {
public:
    virtual ~CMessageLoop() = default;

    bool AddMessageFilter(CMessageFilter* filter);
    bool RemoveMessageFilter(CMessageFilter* filter);
    bool AddIdleHandler(CIdleHandler* handler);
    bool RemoveIdleHandler(CIdleHandler* handler);

    // Runs until WM_QUIT; returns its exit code.
    int Run();

    // The most recently added filter sees the message first.
    virtual bool PreTranslateMessage(MSG* msg);
    virtual bool OnIdle(int idleCount);

    MSG m_msg;

protected:
    // Mouse moves and paints do not restart the idle calls.
    static bool IsIdleMessage(const MSG& msg);

private:
    std::vector<CMessageFilter*> filters_;
    std::vector<CIdleHandler*> idleHandlers_;
};

class CAppModule {
public:
    bool Init();
    void Term();
    bool AddMessageLoop(CMessageLoop* loop);  // for the calling thread
    bool RemoveMessageLoop();
    CMessageLoop* GetMessageLoop() const;  // of the calling thread, or nullptr

private:
    std::map<std::thread::id, CMessageLoop*> loops_;
};

// Dispatches everything that is waiting (posted, sent, input, paint, due timers) without blocking. Returns
// false when a WM_QUIT was taken (it is posted again for the loop that owns it).
bool PumpPendingMessages();

}  // namespace zk
