#include "tests/harness/uiprobe/Png.h"

namespace png {

namespace {

uint32_t Crc(const std::string& s, size_t nFrom) {
    static uint32_t table[256];
    if (table[1] == 0) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    }
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = nFrom; i < s.size(); ++i) {
        c = table[(c ^ static_cast<uint8_t>(s[i])) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFu;
}

void PutBig32(std::string& s, uint32_t n) {
    s += static_cast<char>(n >> 24);
    s += static_cast<char>(n >> 16);
    s += static_cast<char>(n >> 8);
    s += static_cast<char>(n);
}

void Chunk(std::string& out, const char* szType, const std::string& data) {
    PutBig32(out, static_cast<uint32_t>(data.size()));
    size_t nFrom = out.size();
    out += szType;
    out += data;
    PutBig32(out, Crc(out, nFrom));
}

}  // namespace

std::string EncodeBgra(const uint8_t* pBgra, int nWidth, int nHeight) {
    std::string raw;
    raw.reserve(static_cast<size_t>(nHeight) * (1 + 3 * static_cast<size_t>(nWidth)));
    for (int y = 0; y < nHeight; ++y) {
        raw += '\0';  // filter: none
        const uint8_t* p = pBgra + static_cast<size_t>(y) * nWidth * 4;
        for (int x = 0; x < nWidth; ++x, p += 4) {
            raw += static_cast<char>(p[2]);
            raw += static_cast<char>(p[1]);
            raw += static_cast<char>(p[0]);
        }
    }

    std::string z = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (char c : raw) {
        a = (a + static_cast<uint8_t>(c)) % 65521;
        b = (b + a) % 65521;
    }
    size_t nPos = 0;
    do {
        size_t n = raw.size() - nPos < 65535 ? raw.size() - nPos : 65535;
        bool bLast = nPos + n == raw.size();
        z += static_cast<char>(bLast ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(raw, nPos, n);
        nPos += n;
    } while (nPos < raw.size());
    PutBig32(z, (b << 16) | a);

    std::string header;
    PutBig32(header, static_cast<uint32_t>(nWidth));
    PutBig32(header, static_cast<uint32_t>(nHeight));
    header += "\x08\x02";            // 8 bits, RGB
    header += std::string(3, '\0');  // deflate, adaptive filters, no interlace

    std::string out = "\x89PNG\r\n\x1a\n";
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", std::string());
    return out;
}

}  // namespace png
