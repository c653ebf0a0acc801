// What the fuzz targets share: a check that aborts with a readable reason (libFuzzer then keeps
// the input as a crash), and reference computations written apart from the program's own.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzcheck {

[[noreturn]] inline void Fail(const char* szFile, int nLine, const char* szCheck,
                              const std::string& detail) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", szFile, nLine, szCheck, detail.c_str());
    std::abort();
}

inline std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char sz[8];
            std::snprintf(sz, sizeof sz, "\\u%04X", static_cast<unsigned>(c));
            out += sz;
        }
    }
    return out;
}

inline std::u16string Widen(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// "%<flags><width>d" of one number by the C library's printf, for comparison.
inline std::u16string PrintfNumber(const char* szFlags, int nWidth, int32_t n) {
    char szFormat[32];
    std::snprintf(szFormat, sizeof szFormat, "%%%s%dd", szFlags, nWidth);
    char szOut[1100];
    std::snprintf(szOut, sizeof szOut, szFormat, static_cast<int>(n));
    return Widen(szOut);
}

// The level table as the settings dialog documents it: ASIO buffer sizes in samples for rates up
// to 48000, 96000, 192000 and 384000 Hz, the offset limit and the level flag.
struct ReferenceLevel {
    int32_t anSize[4];
    int32_t nLimit;
    int32_t bFlag;
};
constexpr ReferenceLevel kReferenceLevels[10] = {
    {{48, 96, 192, 384}, 2, 1},        {{48, 96, 192, 384}, 3, 1},
    {{64, 128, 256, 512}, 3, 1},       {{96, 192, 384, 768}, 4, 1},
    {{128, 256, 512, 1024}, 8, 1},     {{256, 512, 1024, 2048}, 12, 0},
    {{384, 768, 1536, 3072}, 12, 0},   {{512, 1024, 2048, 4096}, 16, 0},
    {{1024, 2048, 4096, 8192}, 25, 0}, {{2048, 4096, 8192, 16384}, 70, 0},
};

inline int ReferenceLevelIndex(int32_t nLevel) {
    return nLevel < 0 ? 0 : nLevel > 9 ? 9 : nLevel;
}

// Buffer size for a level and a rate; above 384000 Hz the samples in 3.4 ms rounded up to a
// multiple of 16, taken in 64 bits.
inline int64_t ReferenceAsioSize(int32_t nLevel, int32_t nRate) {
    const ReferenceLevel& row = kReferenceLevels[ReferenceLevelIndex(nLevel)];
    if (nRate <= 48000)
        return row.anSize[0];
    if (nRate <= 96000)
        return row.anSize[1];
    if (nRate <= 192000)
        return row.anSize[2];
    if (nRate <= 384000)
        return row.anSize[3];
    int64_t nSamples = (int64_t{nRate} * 34 + 9999) / 10000;
    return (nSamples + 15) / 16 * 16;
}

}  // namespace fuzzcheck

namespace fuzzcheck {

// Reads the input front to back; past its end every read gives zeros.
class ByteReader {
public:
    ByteReader(const uint8_t* pData, size_t nSize) : m_p(pData), m_nLeft(nSize) {}

    size_t Left() const { return m_nLeft; }
    uint8_t Byte() {
        if (m_nLeft == 0)
            return 0;
        --m_nLeft;
        return *m_p++;
    }
    int32_t Word() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(Byte()) << (8 * i);
        return static_cast<int32_t>(v);
    }
    std::string Bytes(size_t n) {
        size_t nTaken = n < m_nLeft ? n : m_nLeft;
        std::string out(reinterpret_cast<const char*>(m_p), nTaken);
        m_p += nTaken;
        m_nLeft -= nTaken;
        return out;
    }
    std::string Rest() { return Bytes(m_nLeft); }

private:
    const uint8_t* m_p;
    size_t m_nLeft;
};

}  // namespace fuzzcheck

#define FUZZ_CHECK(cond, detail)                                  \
    do {                                                          \
        if (!(cond))                                              \
            ::fuzzcheck::Fail(__FILE__, __LINE__, #cond, detail); \
    } while (0)
