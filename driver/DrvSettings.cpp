#include "driver/DrvRecords.h"

void DrvSettings::SetDefaults() {
    bOption1 = 0;
    bOption2 = 0;
    nBufferLevel = 5;
    nOption3 = 1;
    bNoRateMatch = 0;
    bOffset1 = 1;
    nOffset1 = 0;
    bOffset2 = 1;
    nOffset2 = 0;
    bLevelFlag = 0;
    nOption4 = 1;
    nOption5 = 0;
    nOption6 = 0;
    nOption7 = 0;
}

namespace {
bool SameTruth(int32_t a, int32_t b) {
    return (a != 0) == (b != 0);
}
}  // namespace

// Only what the driver acts on is compared: an offset counts only while it is enabled, the
// option words only by their truth value, and the rows and the later words not at all.
BOOL DrvSettings::IsEqual(const DrvSettings& other) const {
    if (!SameTruth(bOffset1, other.bOffset1))
        return FALSE;
    if (bOffset1 != 0 && nOffset1 != other.nOffset1)
        return FALSE;
    if (!SameTruth(bOffset2, other.bOffset2))
        return FALSE;
    if (bOffset2 != 0 && nOffset2 != other.nOffset2)
        return FALSE;
    if (nBufferLevel != other.nBufferLevel)
        return FALSE;
    if (!SameTruth(bOption1, other.bOption1))
        return FALSE;
    if (!SameTruth(bOption2, other.bOption2))
        return FALSE;
    if (bNoRateMatch != other.bNoRateMatch)
        return FALSE;
    return TRUE;
}
