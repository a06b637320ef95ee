#pragma once
// The link state of an opened device: one word with bit 0 = connected (the last server call on the link
// succeeded) and bit 1 = in sync (the owner found that the profile matches the device). The GUI thread and
// the device's worker both read and update it; every query and update is one locked access, never held
// across a server call.

#include <cstdint>
#include <mutex>

class ZKLinkState {
public:
    static constexpr std::uint32_t kConnected = 1u << 0;
    static constexpr std::uint32_t kInSync = 1u << 1;
    static constexpr std::uint32_t kFullyUp = kConnected | kInSync;

    bool IsConnected() const { return (Word() & kConnected) != 0; }
    bool IsInSync() const { return (Word() & kInSync) != 0; }
    // Both bits and nothing else.
    bool IsFullyUp() const { return Word() == kFullyUp; }
    std::uint32_t Word() const;

    void Clear();
    void SetConnected(bool connected) { Set(kConnected, connected); }
    void SetInSync(bool inSync) { Set(kInSync, inSync); }

private:
    void Set(std::uint32_t bit, bool on);

    mutable std::mutex lock_;
    std::uint32_t word_ = 0;
};
