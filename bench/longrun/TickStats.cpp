#include "bench/longrun/TickStats.h"

#include <algorithm>
#include <cmath>

namespace longrun {

void TickCounter::Add(uint32_t nTimeUs) {
    // Unsigned differences stay right across the clock's wrap.
    if (m_nTicks > 0 && nTimeUs - m_nLastUs < kTickGapUs) {
        m_nLastUs = nTimeUs;
        return;
    }
    if (m_nTicks > 0)
        m_spans.push_back(m_nLastUs - m_nFirstUs);
    ++m_nTicks;
    m_nFirstUs = m_nLastUs = nTimeUs;
}

uint32_t Percentile(std::vector<uint32_t> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    double rank = std::ceil(p * static_cast<double>(values.size()));
    size_t n = rank < 1 ? 1 : static_cast<size_t>(rank);
    return values[std::min(n, values.size()) - 1];
}

}  // namespace longrun
