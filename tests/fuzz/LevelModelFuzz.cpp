// The level model with hostile records and rates: the table lookups, the offset clamp, the
// buffer size against a reference computed apart (64-bit above 384000 Hz) and the record's
// equality test against its description.
//
// Input (little-endian): the 336-byte settings record (missing bytes are 0); a byte N (0..4,
// modulo 5) and N changes (word index byte, 32-bit value) that make the second record of the
// equality test; then rates, each a mode byte and a 32-bit value (odd mode: a band edge or a
// limit instead, give or take one).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/DrvRecords.h"
#include "model/LevelModel.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using fuzzcheck::kReferenceLevels;
using fuzzcheck::ReferenceLevelIndex;

std::string Describe(const DrvSettings& s) {
    return "level " + std::to_string(s.nBufferLevel) + " offsets " + std::to_string(s.bOffset1) +
           "/" + std::to_string(s.nOffset1) + " " + std::to_string(s.bOffset2) + "/" +
           std::to_string(s.nOffset2);
}

int32_t ReferenceClamp(int32_t bEnabled, int32_t nOffset, int32_t nLimit) {
    if (bEnabled == 0)
        return 0;
    return nOffset < -nLimit ? -nLimit : nOffset > nLimit ? nLimit : nOffset;
}

void CheckLevel(const DrvSettings& s) {
    int32_t nLevel = s.nBufferLevel;
    int nClamped = ClampLevel(nLevel);
    FUZZ_CHECK(nClamped == ReferenceLevelIndex(nLevel), Describe(s));
    FUZZ_CHECK(OffsetLimit(nLevel) == kReferenceLevels[nClamped].nLimit, Describe(s));
    const LevelRow& row = LevelTable[nClamped];
    FUZZ_CHECK(row.nFactorA * row.nFactorB == kReferenceLevels[nClamped].nLimit, Describe(s));
    FUZZ_CHECK(row.bLevelFlag == kReferenceLevels[nClamped].bFlag, Describe(s));
}

void CheckClamp(const DrvSettings& s) {
    DrvSettings c = s;
    ClampOffsets(c);
    int32_t nLimit = kReferenceLevels[ReferenceLevelIndex(s.nBufferLevel)].nLimit;
    FUZZ_CHECK(c.nOffset1 == ReferenceClamp(s.bOffset1, s.nOffset1, nLimit),
               Describe(s) + " -> " + Describe(c));
    FUZZ_CHECK(c.nOffset2 == ReferenceClamp(s.bOffset2, s.nOffset2, nLimit),
               Describe(s) + " -> " + Describe(c));
    // Nothing but the two offsets changes.
    DrvSettings back = c;
    back.nOffset1 = s.nOffset1;
    back.nOffset2 = s.nOffset2;
    FUZZ_CHECK(std::memcmp(&back, &s, sizeof s) == 0, "ClampOffsets changed another word");
    DrvSettings twice = c;
    ClampOffsets(twice);
    FUZZ_CHECK(std::memcmp(&twice, &c, sizeof c) == 0, "ClampOffsets is not idempotent");
}

void CheckSize(const DrvSettings& s, int32_t nRate) {
    DrvSettings copy = s;
    AsioBufferSize sizes = GetAsioBufferSize(s, nRate);
    std::string what = Describe(s) + " rate " + std::to_string(nRate) + ": " +
                       std::to_string(sizes.minSize) + "/" + std::to_string(sizes.maxSize) + "/" +
                       std::to_string(sizes.preferredSize) + "/" +
                       std::to_string(sizes.granularity);
    FUZZ_CHECK(std::memcmp(&copy, &s, sizeof s) == 0, "GetAsioBufferSize changed the record");
    FUZZ_CHECK(sizes.minSize == sizes.maxSize && sizes.maxSize == sizes.preferredSize, what);
    FUZZ_CHECK(sizes.granularity == 0, what);
    int64_t nExpected = fuzzcheck::ReferenceAsioSize(s.nBufferLevel, nRate);
    FUZZ_CHECK(sizes.minSize == nExpected, what + ", expected " + std::to_string(nExpected));
    if (nRate > 384000) {
        // The level no longer matters, and the buffer lasts at least 3.4 ms in whole 16s.
        DrvSettings other = s;
        other.nBufferLevel = s.nBufferLevel ^ 1;
        FUZZ_CHECK(GetAsioBufferSize(other, nRate).minSize == sizes.minSize, what);
        FUZZ_CHECK(sizes.minSize % 16 == 0, what);
        FUZZ_CHECK(int64_t{sizes.minSize} * 10000 >= int64_t{nRate} * 34, what);
        FUZZ_CHECK((int64_t{sizes.minSize} - 16) * 10000 < int64_t{nRate} * 34, what);
        // Where the 32-bit arithmetic of the buffer rule cannot overflow (rate x 34 + 9999), it agrees.
        if (nRate <= (INT32_MAX - 9999) / 34) {
            int32_t n = (nRate * 34 + 9999) / 10000;
            FUZZ_CHECK(sizes.minSize == (n + 15) / 16 * 16, what);
        }
    } else {
        FUZZ_CHECK(sizes.minSize > 0, what);
    }
}

bool SameTruth(int32_t a, int32_t b) {
    return (a != 0) == (b != 0);
}

bool ReferenceEqual(const DrvSettings& a, const DrvSettings& b) {
    return SameTruth(a.bOffset1, b.bOffset1) && (a.bOffset1 == 0 || a.nOffset1 == b.nOffset1) &&
           SameTruth(a.bOffset2, b.bOffset2) && (a.bOffset2 == 0 || a.nOffset2 == b.nOffset2) &&
           a.nBufferLevel == b.nBufferLevel && SameTruth(a.bOption1, b.bOption1) &&
           SameTruth(a.bOption2, b.bOption2) && a.bNoRateMatch == b.bNoRateMatch;
}

void CheckEqual(const DrvSettings& a, const DrvSettings& b) {
    bool bEqual = a.IsEqual(b) != FALSE;
    FUZZ_CHECK(bEqual == ReferenceEqual(a, b), Describe(a) + " vs " + Describe(b));
    FUZZ_CHECK(bEqual == (b.IsEqual(a) != FALSE), "IsEqual is not symmetric");
    FUZZ_CHECK(a.IsEqual(a), "a record differs from itself");
}

void CheckDefaults(const DrvSettings& s) {
    DrvSettings d = s;
    d.SetDefaults();
    FUZZ_CHECK(std::memcmp(d.aRate, s.aRate, sizeof s.aRate) == 0, "SetDefaults touched the rows");
    const int32_t kWords[14] = {0, 0, 5, 1, 0, 1, 0, 1, 0, 0, 1, 0, 0, 0};
    FUZZ_CHECK(std::memcmp(&d.bOption1, kWords, sizeof kWords) == 0, "default words");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    fuzzcheck::ByteReader input(pData, nSize);
    DrvSettings s;
    std::string bytes = input.Bytes(sizeof s);
    bytes.resize(sizeof s, '\0');
    std::memcpy(static_cast<void*>(&s), bytes.data(), sizeof s);

    CheckLevel(s);
    CheckClamp(s);
    CheckDefaults(s);

    DrvSettings t = s;
    int nChanges = input.Byte() % 5;
    for (int i = 0; i < nChanges; ++i) {
        size_t nWord = input.Byte() % (sizeof t / 4);
        int32_t nValue = input.Word();
        std::memcpy(reinterpret_cast<uint8_t*>(&t) + 4 * nWord, &nValue, 4);
    }
    CheckEqual(s, t);

    // An odd mode byte puts the rate at a band edge or a limit, give or take one.
    static const int32_t kEdges[] = {0,      48000,    96000,     192000,
                                     384000, 63160989, INT32_MAX, INT32_MIN};
    while (input.Left() > 0) {
        uint8_t nMode = input.Byte();
        int32_t nRate = input.Word();
        if (nMode & 1) {
            int64_t nEdge = kEdges[(nMode >> 1) % 8] + int64_t{(nMode >> 4) % 3} - 1;
            nRate = static_cast<int32_t>(nEdge < INT32_MIN   ? INT32_MIN
                                         : nEdge > INT32_MAX ? INT32_MAX
                                                             : nEdge);
        }
        CheckSize(s, nRate);
    }
    CheckSize(s, 0);
    return 0;
}
