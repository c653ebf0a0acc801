#include "sim/simctl/Scenario.h"

#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "driver/DrvControlCodes.h"

namespace scenario {

namespace {

// The settings record's fourteen words, from offset 280 on.
const char* const kSettingWords[] = {
    "option1",        "option2", "buffer-level",   "option3", "no-rate-match",
    "offset1-enable", "offset1", "offset2-enable", "offset2", "level-flag",
    "option4",        "option5", "option6",        "option7",
};
constexpr int kSettingWordCount = 14;
constexpr int kFirstWordOffset = 280;
constexpr int kRows = 10;
constexpr int kRowBytes = 28;

struct WordField {
    const char* szKey;
    size_t nOffset;
};

const WordField kWordFields[] = {
    {"answer-index", offsetof(sim::Unit, nAnswerIndex)},
    {"read-result", offsetof(sim::Unit, nReadResult)},
    {"write-result", offsetof(sim::Unit, nWriteResult)},
    {"in-use", offsetof(sim::Unit, nInUse)},
    {"stream-active", offsetof(sim::Unit, nStreamActive)},
    {"stream-rate", offsetof(sim::Unit, nStreamRate)},
    {"device-flag", offsetof(sim::Unit, nDeviceFlag)},
    {"rate", offsetof(sim::Unit, nRate)},
    {"unit-rate", offsetof(sim::Unit, nUnitRate)},
    {"current-rate", offsetof(sim::Unit, nCurrentRate)},
    {"external", offsetof(sim::Unit, bExternal)},
    {"locked", offsetof(sim::Unit, bLocked)},
    {"descriptor-length", offsetof(sim::Unit, nDescLength)},
    {"answer-delay", offsetof(sim::Unit, nAnswerDelayMs)},
    {"name-shift", offsetof(sim::Unit, nNameShift)},
    {"write-shift", offsetof(sim::Unit, nWriteShift)},
    {"rate-lag", offsetof(sim::Unit, nRateLagMs)},
};

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> Words(const std::string& s) {
    std::vector<std::string> words;
    std::istringstream in(s);
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

// A 32-bit word, decimal (signed) or 0x hexadecimal (any bit pattern).
bool ParseWord(const std::string& s, int32_t& nValue) {
    if (s.empty())
        return false;
    const char* p = s.c_str();
    char* pEnd = nullptr;
    errno = 0;
    if (s.size() > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        if (!std::isxdigit(static_cast<unsigned char>(p[2])))
            return false;
        unsigned long long v = std::strtoull(p + 2, &pEnd, 16);
        if (*pEnd != 0 || errno != 0 || v > 0xFFFFFFFFull)
            return false;
        nValue = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }
    long long v = std::strtoll(p, &pEnd, 10);
    if (*pEnd != 0 || errno != 0 || v < INT32_MIN || v > INT32_MAX)
        return false;
    nValue = static_cast<int32_t>(v);
    return true;
}

bool ParseYesNo(const std::string& s, int32_t& nValue) {
    if (s == "yes" || s == "1") {
        nValue = 1;
    } else if (s == "no" || s == "0") {
        nValue = 0;
    } else {
        return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ParseHexBytes(const std::string& s, std::vector<uint8_t>& bytes, std::string& error) {
    std::string digits;
    for (char c : s) {
        if (c == ' ' || c == '\t')
            continue;
        if (HexDigit(c) < 0) {
            error = std::string("'") + c + "' is not a hex digit";
            return false;
        }
        digits += c;
    }
    if (digits.size() % 2 != 0) {
        error = "odd number of hex digits";
        return false;
    }
    for (size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(HexDigit(digits[i]) * 16 + HexDigit(digits[i + 1])));
    }
    return true;
}

void PutUnitWord(sim::Unit& unit, size_t nOffset, int32_t nValue) {
    sim::PutWord(reinterpret_cast<uint8_t*>(&unit) + nOffset, nValue);
}

bool ApplyRow(int nRow, const std::string& value, sim::Unit& unit, std::string& error) {
    std::vector<std::string> words = Words(value);
    if (words.empty() || words.size() > 7) {
        error = "a row is a rate and up to six words";
        return false;
    }
    uint8_t* pRow = unit.abSettings + (nRow - 1) * kRowBytes;
    for (int w = 0; w < 7; ++w) {
        int32_t n = 0;
        if (w < static_cast<int>(words.size()) && !ParseWord(words[w], n)) {
            error = "'" + words[w] + "' is not a number";
            return false;
        }
        sim::PutWord(pRow + 4 * w, n);
    }
    return true;
}

bool ApplyOffers(const std::string& value, sim::Unit& unit, std::string& error) {
    std::vector<std::string> words = Words(value);
    if (words.size() == 1 && words[0] == "none")
        words.clear();
    if (words.size() > static_cast<size_t>(sim::kOffers)) {
        error = "at most " + std::to_string(sim::kOffers) + " offered rates";
        return false;
    }
    sim::RateOffer aOffer[sim::kOffers] = {};
    for (size_t i = 0; i < words.size(); ++i) {
        std::string rate = words[i], avail = "1";
        size_t colon = rate.find(':');
        if (colon != std::string::npos) {
            avail = rate.substr(colon + 1);
            rate = rate.substr(0, colon);
        }
        if (!ParseWord(rate, aOffer[i].nRate) || !ParseWord(avail, aOffer[i].nAvailable)) {
            error = "'" + words[i] + "' is not RATE or RATE:AVAILABLE";
            return false;
        }
    }
    unit.nOffers = static_cast<int32_t>(words.size());
    std::memcpy(unit.aOffer, aOffer, sizeof aOffer);
    return true;
}

bool ApplyFail(const std::string& value, sim::Unit& unit, std::string& error) {
    std::vector<std::string> words = Words(value);
    if (words.size() == 1 && words[0] == "none") {
        for (int32_t& n : unit.anFail)
            n = 0;
        return true;
    }
    uint32_t nCode = 0;
    int32_t nCount = 0;
    if (words.size() != 2) {
        error = "expected CODE N, CODE always or none";
        return false;
    }
    if (!ParseCode(words[0], nCode)) {
        error = "unknown control code '" + words[0] + "'";
        return false;
    }
    if (words[1] == "always") {
        nCount = -1;
    } else if (!ParseWord(words[1], nCount) || nCount < 0) {
        error = "'" + words[1] + "' is not a count (or always)";
        return false;
    }
    unit.anFail[sim::CodeIndex(nCode)] = nCount;
    return true;
}

bool ApplyKey(const std::string& key, const std::string& value, sim::Unit& unit,
              std::string& error) {
    int32_t n = 0;
    for (const WordField& field : kWordFields) {
        if (key != field.szKey)
            continue;
        if (!ParseWord(value, n)) {
            error = "'" + value + "' is not a number";
            return false;
        }
        PutUnitWord(unit, field.nOffset, n);
        return true;
    }
    for (int i = 0; i < kSettingWordCount; ++i) {
        if (key != kSettingWords[i])
            continue;
        if (!ParseWord(value, n)) {
            error = "'" + value + "' is not a number";
            return false;
        }
        sim::PutWord(unit.abSettings + kFirstWordOffset + 4 * i, n);
        return true;
    }
    if (key == "present") {
        if (!ParseYesNo(value, unit.bPresent)) {
            error = "present is yes or no";
            return false;
        }
        return true;
    }
    if (key == "opens") {
        if (value == "unlimited") {
            unit.nOpensLeft = -1;
        } else if (!ParseWord(value, n) || n < 0) {
            error = "opens is unlimited or a count";
            return false;
        } else {
            unit.nOpensLeft = n;
        }
        return true;
    }
    if (key != "rows" && key.size() >= 4 && key.compare(0, 3, "row") == 0) {
        int32_t nRow = 0;
        if (!ParseWord(key.substr(3), nRow) || nRow < 1 || nRow > kRows) {
            error = "rows are row1 to row10";
            return false;
        }
        return ApplyRow(nRow, value, unit, error);
    }
    if (key == "rows") {
        if (value != "none") {
            error = "rows takes only none";
            return false;
        }
        std::memset(unit.abSettings, 0, kRows * kRowBytes);
        return true;
    }
    if (key == "descriptor") {
        std::vector<uint8_t> bytes;
        if (!ParseHexBytes(value, bytes, error))
            return false;
        if (bytes.size() > static_cast<size_t>(sim::kDescriptorBytes)) {
            error = "a descriptor holds at most 2048 bytes";
            return false;
        }
        std::memset(unit.abDescriptor, 0, sizeof unit.abDescriptor);
        if (!bytes.empty())
            std::memcpy(unit.abDescriptor, bytes.data(), bytes.size());
        unit.nDescLength = static_cast<int32_t>(bytes.size());
        return true;
    }
    if (key == "offers")
        return ApplyOffers(value, unit, error);
    if (key == "fail")
        return ApplyFail(value, unit, error);
    if (key == "pend") {
        if (value == "none") {
            unit.nPendCode = 0;
        } else if (!ParseCode(value, unit.nPendCode)) {
            error = "pend takes a control code or none";
            return false;
        }
        return true;
    }
    error = "unknown key '" + key + "'";
    return false;
}

std::string StripComment(const std::string& line) {
    size_t hash = line.find('#');
    return Trim(hash == std::string::npos ? line : line.substr(0, hash));
}

// "[slot N]" with N in 0..3; -1 when the line is a section header with a bad slot.
bool ParseSection(const std::string& line, int& nSlot) {
    if (line.empty() || line.front() != '[')
        return false;
    nSlot = -1;
    if (line.back() != ']')
        return true;
    std::vector<std::string> words = Words(line.substr(1, line.size() - 2));
    int32_t n = 0;
    if (words.size() == 2 && words[0] == "slot" && ParseWord(words[1], n) && n >= 0 &&
        n < sim::kSlots) {
        nSlot = n;
    }
    return true;
}

std::string Hex(const uint8_t* p, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) {
        s += kDigits[p[i] >> 4];
        s += kDigits[p[i] & 15];
    }
    return s;
}

std::string HexSpaced(const uint8_t* p, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        if (i)
            s += ' ';
        s += Hex(p + i, 1);
    }
    return s;
}

int32_t UnitWord(const sim::Unit& unit, size_t nOffset) {
    return sim::GetWord(reinterpret_cast<const uint8_t*>(&unit) + nOffset);
}

}  // namespace

bool ParseCode(const std::string& name, uint32_t& nCode) {
    std::string shortName = name;
    if (shortName.compare(0, 10, "IOCTL_DRV_") == 0)
        shortName = shortName.substr(10);
    for (uint32_t nKnown : DRV_CODES) {
        if (shortName == DrvCodeName(nKnown)) {
            nCode = nKnown;
            return true;
        }
    }
    int32_t n = 0;
    if (name.compare(0, 2, "0x") == 0 && ParseWord(name, n) &&
        sim::CodeIndex(static_cast<uint32_t>(n)) >= 0) {
        nCode = static_cast<uint32_t>(n);
        return true;
    }
    return false;
}

std::string CodeName(uint32_t nCode) {
    if (const char* szName = DrvCodeName(nCode))
        return szName;
    char sz[16];
    std::snprintf(sz, sizeof sz, "0x%06X", static_cast<unsigned>(nCode));
    return sz;
}

bool ApplyLine(const std::string& line, sim::Unit& unit, std::string& error) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
        error = "expected key = value";
        return false;
    }
    std::string key = Trim(line.substr(0, eq));
    std::string value = Trim(line.substr(eq + 1));
    if (key.empty()) {
        error = "expected key = value";
        return false;
    }
    sim::Unit changed = unit;
    if (!ApplyKey(key, value, changed, error)) {
        if (error.compare(0, 11, "unknown key") != 0)
            error = key + ": " + error;
        return false;
    }
    unit = changed;
    return true;
}

bool Parse(const std::string& text, Units& units, std::string& error) {
    Units parsed;
    for (sim::Unit& unit : parsed.aUnit)
        sim::ResetUnit(&unit);
    bool abSeen[sim::kSlots] = {};
    int nSlot = -1;
    int nLine = 0;
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        ++nLine;
        std::string line = StripComment(raw);
        if (line.empty())
            continue;
        std::string lineError;
        int nSection = -1;
        if (ParseSection(line, nSection)) {
            if (nSection < 0) {
                lineError = "expected [slot N] with N from 0 to 3";
            } else if (abSeen[nSection]) {
                lineError = "slot " + std::to_string(nSection) + " appears twice";
            } else {
                abSeen[nSection] = true;
                nSlot = nSection;
                parsed.aUnit[nSlot].bPresent = 1;
            }
        } else if (nSlot < 0) {
            lineError = "a [slot N] section must come first";
        } else {
            ApplyLine(line, parsed.aUnit[nSlot], lineError);
        }
        if (!lineError.empty()) {
            error = "line " + std::to_string(nLine) + ": " + lineError;
            return false;
        }
    }
    units = parsed;
    return true;
}

std::string Format(const Units& units) {
    std::ostringstream out;
    for (int nSlot = 0; nSlot < sim::kSlots; ++nSlot) {
        const sim::Unit& unit = units.aUnit[nSlot];
        if (nSlot)
            out << '\n';
        out << "[slot " << nSlot << "]\n";
        out << "present = " << (unit.bPresent ? "yes" : "no") << '\n';
        if (unit.nOpensLeft < 0) {
            out << "opens = unlimited\n";
        } else {
            out << "opens = " << unit.nOpensLeft << '\n';
        }
        for (int i = 0; i < kSettingWordCount; ++i) {
            out << kSettingWords[i] << " = "
                << sim::GetWord(unit.abSettings + kFirstWordOffset + 4 * i) << '\n';
        }
        out << "rows = none\n";
        for (int row = 0; row < kRows; ++row) {
            const uint8_t* pRow = unit.abSettings + row * kRowBytes;
            bool bZero = true;
            for (int b = 0; b < kRowBytes; ++b)
                bZero = bZero && pRow[b] == 0;
            if (bZero)
                continue;
            out << "row" << row + 1 << " =";
            for (int w = 0; w < 7; ++w)
                out << ' ' << sim::GetWord(pRow + 4 * w);
            out << '\n';
        }
        int32_t nLength = unit.nDescLength;
        int32_t nShown = nLength < 0                       ? 0
                         : nLength > sim::kDescriptorBytes ? sim::kDescriptorBytes
                                                           : nLength;
        out << "descriptor = " << HexSpaced(unit.abDescriptor, static_cast<size_t>(nShown)) << '\n';
        for (const WordField& field : kWordFields) {
            out << field.szKey << " = " << UnitWord(unit, field.nOffset) << '\n';
        }
        out << "offers =";
        for (int i = 0; i < unit.nOffers && i < sim::kOffers; ++i) {
            out << ' ' << unit.aOffer[i].nRate << ':' << unit.aOffer[i].nAvailable;
        }
        if (unit.nOffers <= 0)
            out << " none";
        out << '\n';
        out << "pend = " << (unit.nPendCode ? CodeName(unit.nPendCode) : "none") << '\n';
        out << "fail = none\n";
        for (uint32_t nCode : DRV_CODES) {
            int32_t nFail = unit.anFail[sim::CodeIndex(nCode)];
            if (nFail < 0) {
                out << "fail = " << DrvCodeName(nCode) << " always\n";
            } else if (nFail > 0) {
                out << "fail = " << DrvCodeName(nCode) << ' ' << nFail << '\n';
            }
        }
    }
    return out.str();
}

std::string FormatLogEntry(const sim::LogEntry& entry) {
    std::ostringstream out;
    out << entry.nSlot << ' ' << (entry.nKind == sim::kLogOpen ? "open" : "control") << ' '
        << (entry.bOk ? 1 : 0);
    if (entry.nKind == sim::kLogOpen) {
        out << " - - - -";
        return out.str();
    }
    char szCode[16];
    std::snprintf(szCode, sizeof szCode, "0x%06X", static_cast<unsigned>(entry.nCode));
    size_t nBytes =
        entry.nSize < static_cast<uint32_t>(sim::kLogBytes) ? entry.nSize : sim::kLogBytes;
    out << ' ' << szCode << ' ' << entry.nSize << ' ';
    out << (nBytes ? Hex(entry.abSent, nBytes) : "-") << ' ';
    out << (nBytes ? Hex(entry.abAnswered, nBytes) : "-");
    return out.str();
}

}  // namespace scenario
