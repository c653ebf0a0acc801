// The four control devices of the driver and the operations that walk them.
#pragma once

#include <cstdint>

#include "driver/DrvRecords.h"
#include "driver/Platform.h"

constexpr int DRV_SLOT_COUNT = 4;
constexpr int DRV_PATH_CHARS = 260;

struct DrvDevSlot {
    int32_t nSlot = -1;
    Utf16 szPath[DRV_PATH_CHARS] = {};

    // Presence test: the control device opens (and is closed again at once).
    BOOL Opens() const;
    // One open-exchange-close; the buffer is both input and output.
    BOOL Control(uint32_t nCode, void* pBuffer, uint32_t nSize) const;
};

class DrvDevTable {
public:
    void Build();
    BOOL AnyPresent() const;

    BOOL ReadSettings(DrvSettings& out) const;
    BOOL WriteSettings(const DrvSettings& in, int32_t& nResult) const;
    BOOL IsIdle() const;
    BOOL GetStreamState(DrvStreamState& st) const;
    BOOL GetReferenceRate(int32_t& nCount, int32_t& nRate) const;

    DrvDevSlot& operator[](int i) { return m_aSlot[i]; }
    const DrvDevSlot& operator[](int i) const { return m_aSlot[i]; }

private:
    DrvDevSlot m_aSlot[DRV_SLOT_COUNT];
};

// Descriptors of two units differ when their lengths or their first nLength data bytes differ;
// a length outside the data area counts as differing, so no byte beyond it is ever read.
bool DrvDescriptorsDiffer(const DrvDescriptor& a, const DrvDescriptor& b);
