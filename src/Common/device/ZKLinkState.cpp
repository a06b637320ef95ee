#include "Common/device/ZKLinkState.h"

std::uint32_t ZKLinkState::Word() const {
    std::lock_guard guard(lock_);
    return word_;
}

void ZKLinkState::Clear() {
    std::lock_guard guard(lock_);
    word_ = 0;
}

void ZKLinkState::Set(std::uint32_t bit, bool on) {
    std::lock_guard guard(lock_);
    word_ = on ? (word_ | bit) : (word_ & ~bit);
}
