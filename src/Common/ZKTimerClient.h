#pragma once
// Receiver of the timer service's ticks. Ticks arrive on the GUI thread, outside the service's lock, so a
// client may add or remove registrations from inside its tick.

#include <cstdint>

class ZKTimerClient {
public:
    virtual ~ZKTimerClient() = default;
    // `id` and `param` are the values given when the registration was added.
    virtual void Tick(std::uint32_t id, std::uint32_t param) = 0;
};
