// The panel's refresh ticks as the driver sees them: each tick is a burst of requests a few
// milliseconds long, 330 ms after the last one. No Windows here, so it is tested natively.
#pragma once

#include <stdint.h>

#include <vector>

namespace longrun {

// Requests closer than this belong to one tick; the refresh's period is 330 ms.
constexpr uint32_t kTickGapUs = 100000;

class TickCounter {
public:
    // The time the driver stamped on the next request, in order; the clock wraps at 2^32 us.
    void Add(uint32_t nTimeUs);
    // Ticks begun so far.
    int Ticks() const { return m_nTicks; }
    // First to last request of each tick that a later one has closed, in microseconds.
    const std::vector<uint32_t>& Spans() const { return m_spans; }

private:
    int m_nTicks = 0;
    uint32_t m_nFirstUs = 0;
    uint32_t m_nLastUs = 0;
    std::vector<uint32_t> m_spans;
};

// The value below which a share p (0..1) of the values lie (nearest rank); 0 for no values.
uint32_t Percentile(std::vector<uint32_t> values, double p);

}  // namespace longrun
