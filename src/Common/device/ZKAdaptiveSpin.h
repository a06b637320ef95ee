#pragma once
// Whether to poll for an answer without sleeping before blocking on it. A short spin saves a scheduler
// wake-up on each side of a call while the other side has a processor of its own and answers within the
// spin. On a busy machine it has none: it waits for a processor, the spin runs out every time, and the
// spinning only takes the processor from it (then every call costs the spin on top of the wait).
//
// So the spin is skipped after a few spins in a row ran out, and tried again on every 32nd wait: one
// answered spin brings it back. One instance per waiting thread; not thread-safe.

#include <algorithm>

class ZKAdaptiveSpin {
public:
    // Whether the next wait should spin first.
    bool ShouldSpin() {
        if (missed_ < kMissesToStop) return true;
        if (++skipped_ < kProbeEvery) return false;
        skipped_ = 0;
        return true;
    }
    // How a spin ended: with the answer, or run out (the wait then blocked).
    void Spun(bool answered) { missed_ = answered ? 0 : std::min(missed_ + 1, kMissesToStop); }

    static constexpr int kMissesToStop = 4;
    static constexpr int kProbeEvery = 32;

private:
    int missed_ = 0;
    int skipped_ = 0;
};
