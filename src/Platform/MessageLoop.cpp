#include "Platform/MessageLoop.h"

#include <algorithm>

namespace zk {

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
    if (!filter) return false;
    filters_.push_back(filter);
    return true;
}

bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
    return std::erase(filters_, filter) > 0;
}

bool CMessageLoop::AddIdleHandler(CIdleHandler* handler) {
    if (!handler) return false;
    idleHandlers_.push_back(handler);
    return true;
}

bool CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) {
    return std::erase(idleHandlers_, handler) > 0;
}

int CMessageLoop::Run() {
    bool doIdle = true;
    int idleCount = 0;
    for (;;) {
        while (doIdle && !PeekMessage(m_msg, PM_NOREMOVE))
            if (!OnIdle(idleCount++)) doIdle = false;
        if (!GetMessage(m_msg)) break;
        if (!PreTranslateMessage(&m_msg)) {
            TranslateMessage(m_msg);
            DispatchMessage(m_msg);
        }
        if (IsIdleMessage(m_msg)) {
            doIdle = true;
            idleCount = 0;
        }
    }
    return static_cast<int>(m_msg.wParam);
}

bool CMessageLoop::PreTranslateMessage(MSG* msg) {
    // A filter may remove itself (a dialog ending): walk a copy.
    const std::vector<CMessageFilter*> filters = filters_;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it)
        if (std::find(filters_.begin(), filters_.end(), *it) != filters_.end() &&
            (*it)->PreTranslateMessage(msg))
            return true;
    return false;
}

bool CMessageLoop::OnIdle(int) {
    const std::vector<CIdleHandler*> handlers = idleHandlers_;
    for (CIdleHandler* handler : handlers)
        handler->OnIdle();
    return false;
}

bool CMessageLoop::IsIdleMessage(const MSG& msg) {
    return msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE && msg.message != WM_PAINT;
}

bool CAppModule::Init() {
    return true;
}

void CAppModule::Term() {
    loops_.clear();
}

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
    return loops_.emplace(std::this_thread::get_id(), loop).second;
}

bool CAppModule::RemoveMessageLoop() {
    return loops_.erase(std::this_thread::get_id()) > 0;
}

CMessageLoop* CAppModule::GetMessageLoop() const {
    auto it = loops_.find(std::this_thread::get_id());
    return it == loops_.end() ? nullptr : it->second;
}

bool PumpPendingMessages() {
    MSG msg;
    while (PeekMessage(msg, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
    return true;
}

}  // namespace zk
