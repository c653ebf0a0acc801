#include "bench/tick/TickRules.h"

#include "driver/DrvControlCodes.h"

namespace tickbench {

namespace {

class Walk {
public:
    Walk(const sim::Unit (&aUnit)[sim::kSlots], Counts& counts)
        : m_aUnit(aUnit), m_counts(counts) {}

    bool Opens(int nSlot) {
        ++m_counts.nOpenAttempts;
        const sim::Unit& unit = m_aUnit[nSlot];
        bool bOpens = unit.bPresent != 0 && unit.nOpensLeft != 0;
        m_counts.nOpens += bOpens ? 1 : 0;
        return bOpens;
    }

    // One open-exchange-close; true when the unit answers.
    bool Control(int nSlot, uint32_t nCode) {
        if (!Opens(nSlot))
            return false;
        int nIndex = sim::CodeIndex(nCode);
        ++m_counts.anCode[nIndex];
        return m_aUnit[nSlot].anFail[nIndex] == 0;
    }

private:
    const sim::Unit (&m_aUnit)[sim::kSlots];
    Counts& m_counts;
};

bool SameDescriptor(const sim::Unit& a, const sim::Unit& b) {
    if (a.nDescLength != b.nDescLength || a.nDescLength < 0 ||
        a.nDescLength > sim::kDescriptorBytes) {
        return false;
    }
    for (int i = 0; i < a.nDescLength; ++i) {
        if (a.abDescriptor[i] != b.abDescriptor[i])
            return false;
    }
    return true;
}

}  // namespace

Counts ExpectedTick(const sim::Unit (&aUnit)[sim::kSlots], int nSel) {
    Counts counts;
    Walk walk(aUnit, counts);

    for (int s = 0; s < sim::kSlots; ++s)
        walk.Opens(s);
    if (nSel >= 0 && nSel < sim::kSlots && walk.Control(nSel, IOCTL_DRV_GET_CLOCK)) {
        for (int k = 0; k < 7; ++k)
            walk.Control(nSel, IOCTL_DRV_QUERY_RATE);
    }

    for (int s = 0; s < sim::kSlots; ++s) {
        if (walk.Control(s, IOCTL_DRV_GET_STREAM_STATE) && aUnit[s].nStreamActive != 0)
            return counts;
    }
    int nReference = -1;
    for (int s = 0; s < sim::kSlots && nReference < 0; ++s) {
        if (walk.Control(s, IOCTL_DRV_GET_DESCRIPTOR) && walk.Control(s, IOCTL_DRV_GET_RATE))
            nReference = s;
    }
    for (int s = nReference + 1; nReference >= 0 && s < sim::kSlots; ++s) {
        if (!walk.Control(s, IOCTL_DRV_GET_DESCRIPTOR))
            continue;
        bool bDiffer = !SameDescriptor(aUnit[nReference], aUnit[s]);
        bool bFlag = walk.Control(s, IOCTL_DRV_GET_DEVICE_FLAG) && aUnit[s].nDeviceFlag != 0;
        if (bDiffer != bFlag)
            walk.Control(s, IOCTL_DRV_GET_RATE);
    }
    return counts;
}

Counts CountLog(const sim::LogEntry* pEntries, int nEntries) {
    Counts counts;
    for (int i = 0; i < nEntries; ++i) {
        const sim::LogEntry& e = pEntries[i];
        if (e.nKind == sim::kLogOpen) {
            ++counts.nOpenAttempts;
            counts.nOpens += e.bOk ? 1 : 0;
        } else {
            int nIndex = sim::CodeIndex(e.nCode);
            if (nIndex >= 0)
                ++counts.anCode[nIndex];
        }
    }
    return counts;
}

}  // namespace tickbench
