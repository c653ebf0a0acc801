#include "driver/DrvDevTable.h"

#include <cstring>

#include "driver/DevicePort.h"
#include "driver/DrvControlCodes.h"

namespace {

const Utf16 kBaseName[] = u"Tkwm3340";

// Path of slot i: "\\.\" + base name + "00" + (i + 1) in decimal.
void MakeSlotPath(int i, Utf16 (&szPath)[DRV_PATH_CHARS]) {
    const Utf16 kPrefix[] = u"\\\\.\\";
    int n = 0;
    for (const Utf16* p = kPrefix; *p; ++p)
        szPath[n++] = *p;
    for (const Utf16* p = kBaseName; *p; ++p)
        szPath[n++] = *p;
    szPath[n++] = u'0';
    szPath[n++] = u'0';
    szPath[n++] = static_cast<Utf16>(u'0' + (i + 1));
    szPath[n] = 0;
}

}  // namespace

BOOL DrvDevSlot::Opens() const {
    DevicePort::Handle h;
    if (!DevicePort::Open(szPath, &h))
        return FALSE;
    DevicePort::Close(h);
    return TRUE;
}

BOOL DrvDevSlot::Control(uint32_t nCode, void* pBuffer, uint32_t nSize) const {
    DevicePort::Handle h;
    if (!DevicePort::Open(szPath, &h))
        return FALSE;
    BOOL bOk = DevicePort::Exchange(h, nCode, pBuffer, nSize);
    DevicePort::Close(h);
    return bOk;
}

void DrvDevTable::Build() {
    for (int i = 0; i < DRV_SLOT_COUNT; ++i) {
        m_aSlot[i].nSlot = i;
        MakeSlotPath(i, m_aSlot[i].szPath);
    }
}

BOOL DrvDevTable::AnyPresent() const {
    int nCount = 0;
    for (const DrvDevSlot& slot : m_aSlot) {
        if (slot.Opens())
            ++nCount;
    }
    return nCount > 0 ? TRUE : FALSE;
}

BOOL DrvDevTable::ReadSettings(DrvSettings& out) const {
    DrvSettingsIo io;
    std::memset(io.settings.aRate, 0, sizeof io.settings.aRate);
    io.nResult = 0;
    BOOL bAnswered = FALSE;
    for (const DrvDevSlot& slot : m_aSlot) {
        if (slot.Opens() &&
            slot.Control(IOCTL_DRV_GET_SETTINGS, &io, static_cast<uint32_t>(sizeof io))) {
            bAnswered = TRUE;
            break;
        }
    }
    std::memcpy(&out, &io.settings, sizeof out);
    return bAnswered && io.nResult != 0 ? TRUE : FALSE;
}

// Every unit that opens gets the record; each receives the buffer as the previous unit's
// answer left it. A restart of the unit outranks a restart of the applications.
BOOL DrvDevTable::WriteSettings(const DrvSettings& in, int32_t& nResult) const {
    DrvSettingsIo io;
    std::memcpy(&io.settings, &in, sizeof io.settings);
    io.nResult = 0;
    int32_t nMerged = DRV_RESULT_NONE;
    BOOL bAnswered = FALSE;
    for (const DrvDevSlot& slot : m_aSlot) {
        if (!slot.Opens() ||
            !slot.Control(IOCTL_DRV_SET_SETTINGS, &io, static_cast<uint32_t>(sizeof io))) {
            continue;
        }
        bAnswered = TRUE;
        if (io.nResult == 1) {
            if (nMerged != DRV_RESULT_MIDI)
                nMerged = DRV_RESULT_WAVE;
        } else if (io.nResult == 2 || io.nResult == 3) {
            nMerged = DRV_RESULT_MIDI;
        }
    }
    if (bAnswered)
        io.nResult = nMerged;
    nResult = io.nResult;
    return bAnswered;
}

BOOL DrvDevTable::IsIdle() const {
    int32_t nInUse = 0;
    for (const DrvDevSlot& slot : m_aSlot) {
        if (slot.Opens() &&
            slot.Control(IOCTL_DRV_GET_IN_USE, &nInUse, static_cast<uint32_t>(sizeof nInUse)) &&
            nInUse != 0) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL DrvDevTable::GetStreamState(DrvStreamState& st) const {
    for (const DrvDevSlot& slot : m_aSlot) {
        if (slot.Control(IOCTL_DRV_GET_STREAM_STATE, &st, static_cast<uint32_t>(sizeof st)) &&
            st.nActive != 0) {
            return TRUE;
        }
    }
    return FALSE;
}

bool DrvDescriptorsDiffer(const DrvDescriptor& a, const DrvDescriptor& b) {
    if (a.nLength != b.nLength)
        return true;
    if (a.nLength < 0 || a.nLength > DRV_DESCRIPTOR_DATA)
        return true;
    return std::memcmp(a.abData, b.abData, static_cast<size_t>(a.nLength)) != 0;
}

// The rate of the first unit that answers both requests is the reference. A later unit counts
// when it runs at the same rate and it is either a different kind of unit without the device
// flag or the same kind with it.
BOOL DrvDevTable::GetReferenceRate(int32_t& nCount, int32_t& nRate) const {
    nCount = 0;
    nRate = 0;
    DrvDescriptor reference = {};
    DrvRateValue rate = {};
    int nReference = -1;
    for (int i = 0; i < DRV_SLOT_COUNT; ++i) {
        if (!m_aSlot[i].Control(IOCTL_DRV_GET_DESCRIPTOR, &reference,
                                static_cast<uint32_t>(sizeof reference))) {
            continue;
        }
        rate.nIndex = 0;
        if (m_aSlot[i].Control(IOCTL_DRV_GET_RATE, &rate, static_cast<uint32_t>(sizeof rate))) {
            nRate = rate.nRate;
            nCount = 1;
            nReference = i;
            break;
        }
    }
    if (nReference < 0)
        return FALSE;

    DrvDescriptor other = {};
    for (int i = nReference + 1; i < DRV_SLOT_COUNT; ++i) {
        const DrvDevSlot& slot = m_aSlot[i];
        if (!slot.Control(IOCTL_DRV_GET_DESCRIPTOR, &other, static_cast<uint32_t>(sizeof other))) {
            continue;
        }
        bool bDiffer = DrvDescriptorsDiffer(reference, other);
        int32_t nFlag = 0;
        bool bFlag =
            slot.Control(IOCTL_DRV_GET_DEVICE_FLAG, &nFlag, static_cast<uint32_t>(sizeof nFlag)) &&
            nFlag != 0;
        if (bDiffer == bFlag)
            continue;
        if (slot.Control(IOCTL_DRV_GET_RATE, &rate, static_cast<uint32_t>(sizeof rate)) &&
            rate.nRate == nRate) {
            ++nCount;
        }
    }
    return TRUE;
}
