// The text helpers with hostile formats, arguments and replacement texts. Formats and arguments
// live in buffers of exactly their length, so ASan sees any read beyond them.
//
// Input: a mode byte (modulo 3), then
//   mode 0  a count N (modulo 7) and N arguments, each a kind byte (modulo 3) and then a 32-bit
//           number (0), a length byte and that many bytes of text (1), or nothing for a null
//           text (2); the rest is the format. Bounds and plain texts are checked.
//   mode 1  tokens (FuzzedDataProvider) that build a format of text, %%, %d and %s with flags,
//           widths and arguments of the wrong kind or missing, compared with the C library's
//           printf;
//   mode 2  a length byte and the text, a length byte (modulo 16) and the searched text, the
//           rest the replacement: ReplaceAll against a plain scan.
// Texts are UTF-16 code units, one per byte; 0xFF and the next two bytes make any other unit.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzCheck.h"
#include "text/TextFormat.h"

namespace {

using fuzzcheck::Narrow;

std::u16string Units(const std::string& bytes) {
    std::u16string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        uint8_t b = static_cast<uint8_t>(bytes[i]);
        if (b == 0xFF && i + 2 < bytes.size()) {
            text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i + 1]) << 8 |
                                          static_cast<uint8_t>(bytes[i + 2]));
            i += 2;
        } else {
            text += static_cast<char16_t>(b);
        }
    }
    return text;
}

// A copy in a heap block of exactly its length (plus the terminator when asked).
std::unique_ptr<char16_t[]> Exact(const std::u16string& text, bool bTerminated) {
    std::unique_ptr<char16_t[]> p(new char16_t[text.size() + (bTerminated ? 1 : 0)]);
    std::copy(text.begin(), text.end(), p.get());
    if (bTerminated)
        p[text.size()] = 0;
    return p;
}

std::u16string Format(std::u16string_view format, const std::vector<FormatArg>& a) {
    switch (a.size()) {
        case 0:
            return FormatText(format, {});
        case 1:
            return FormatText(format, {a[0]});
        case 2:
            return FormatText(format, {a[0], a[1]});
        case 3:
            return FormatText(format, {a[0], a[1], a[2]});
        case 4:
            return FormatText(format, {a[0], a[1], a[2], a[3]});
        case 5:
            return FormatText(format, {a[0], a[1], a[2], a[3], a[4]});
        case 6:
            return FormatText(format, {a[0], a[1], a[2], a[3], a[4], a[5]});
        case 7:
            return FormatText(format, {a[0], a[1], a[2], a[3], a[4], a[5], a[6]});
        default:
            return FormatText(format, {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]});
    }
}

constexpr size_t kMaxArgs = 8;

// Any format: the output grows by at most a width or a field per '%', and a format without
// any '%' comes back as it is.
void AnyFormat(fuzzcheck::ByteReader& input) {
    std::vector<std::unique_ptr<char16_t[]>> strings;
    std::vector<FormatArg> args;
    size_t nStringUnits = 0;
    int nArgs = input.Byte() % 7;
    for (int i = 0; i < nArgs; ++i) {
        uint8_t nKind = input.Byte() % 3;
        if (nKind == 0) {
            args.emplace_back(input.Word());
        } else if (nKind == 1) {
            std::u16string text = Units(input.Bytes(input.Byte()));
            strings.push_back(Exact(text, true));
            args.emplace_back(strings.back().get());
            nStringUnits += text.size();
        } else {
            args.emplace_back(static_cast<const char16_t*>(nullptr));
        }
    }
    std::u16string format = Units(input.Rest());
    std::unique_ptr<char16_t[]> exact = Exact(format, false);
    std::u16string out = Format(std::u16string_view(exact.get(), format.size()), args);

    size_t nPercent = 0;
    for (char16_t c : format)
        nPercent += c == u'%' ? 1 : 0;
    FUZZ_CHECK(out.size() <= format.size() + nPercent * (FORMAT_MAX_WIDTH + 11) + nStringUnits,
               "output of " + std::to_string(out.size()) + " units for '" + Narrow(format) + "'");
    if (nPercent == 0)
        FUZZ_CHECK(out == format, "'" + Narrow(format) + "' became '" + Narrow(out) + "'");
}

struct Directive {
    bool bNumber;       // %d, else %s
    std::string flags;  // '-' and '0' as written
    int nWidth;         // 0: none written
    size_t nArg;        // index of its argument
    bool bRightKind;    // the argument is of the directive's kind
    int32_t nValue;
    std::u16string text;
};

std::u16string Pad(const std::u16string& field, size_t nWidth, bool bLeft) {
    std::u16string pad(field.size() < nWidth ? nWidth - field.size() : 0, u' ');
    return bLeft ? field + pad : pad + field;
}

// Formats made of known tokens, compared piece by piece with printf (numbers) and with plain
// padding (texts); arguments of the wrong kind or missing give 0 or the empty text.
void TokenFormat(FuzzedDataProvider& input) {
    std::u16string format;
    std::vector<std::u16string> pieces;  // literal text, or empty for a directive's place
    std::vector<Directive> directives;
    std::vector<std::unique_ptr<char16_t[]>> strings;
    std::vector<FormatArg> args;
    int nTokens = input.ConsumeIntegralInRange<int>(0, 12);
    for (int t = 0; t < nTokens; ++t) {
        int nKind = input.ConsumeIntegralInRange<int>(0, 5);
        if (nKind == 0) {
            std::u16string text = Units(input.ConsumeRandomLengthString(8));
            for (char16_t& c : text)
                c = c == u'%' ? u'#' : c;
            if (!text.empty()) {
                format += text;
                pieces.push_back(text);
            }
            continue;
        }
        if (nKind == 1) {
            format += u"%%";
            pieces.push_back(u"%");
            continue;
        }
        Directive d;
        d.bNumber = nKind == 2 || nKind == 4;
        d.bRightKind = nKind == 2 || nKind == 3;
        uint8_t nFlags = input.ConsumeIntegral<uint8_t>();
        for (int i = 0; i < (nFlags & 3); ++i)
            d.flags += (nFlags >> (2 + i)) & 1 ? '-' : '0';
        d.nWidth = input.ConsumeBool() ? input.ConsumeIntegralInRange<int>(1, 1100) : 0;
        d.nArg = args.size();
        d.nValue = 0;
        bool bArgNumber = d.bNumber == d.bRightKind;
        if (args.size() < kMaxArgs) {
            if (bArgNumber) {
                d.nValue = input.ConsumeIntegral<int32_t>();
                args.emplace_back(d.nValue);
            } else {
                std::u16string text = Units(input.ConsumeRandomLengthString(16));
                text = text.substr(0, text.find(u'\0'));
                strings.push_back(Exact(text, true));
                args.emplace_back(strings.back().get());
                d.text = text;
            }
        } else {
            d.nArg = kMaxArgs;  // no argument left for it
        }
        format += u'%';
        for (char c : d.flags)
            format += static_cast<char16_t>(c);
        if (d.nWidth > 0)
            format += fuzzcheck::Widen(std::to_string(d.nWidth));
        format += d.bNumber ? u'd' : u's';
        pieces.push_back(u"");
        directives.push_back(d);
    }
    // The last arguments may be missing.
    size_t nDrop = input.ConsumeIntegralInRange<size_t>(0, args.size());
    args.erase(args.end() - static_cast<std::ptrdiff_t>(nDrop), args.end());

    std::u16string expected;
    size_t nDirective = 0;
    for (const std::u16string& piece : pieces) {
        if (!piece.empty()) {
            expected += piece;
            continue;
        }
        const Directive& d = directives[nDirective++];
        bool bHasArg = d.nArg < args.size() && d.bRightKind;
        int nWidth = d.nWidth > FORMAT_MAX_WIDTH ? FORMAT_MAX_WIDTH : d.nWidth;
        bool bLeft = d.flags.find('-') != std::string::npos;
        if (d.bNumber) {
            expected += fuzzcheck::PrintfNumber(d.flags.c_str(), nWidth, bHasArg ? d.nValue : 0);
        } else {
            expected +=
                Pad(bHasArg ? d.text : std::u16string(), static_cast<size_t>(nWidth), bLeft);
        }
    }
    std::unique_ptr<char16_t[]> exact = Exact(format, false);
    std::u16string out = Format(std::u16string_view(exact.get(), format.size()), args);
    FUZZ_CHECK(out == expected, "'" + Narrow(format) + "' with " + std::to_string(args.size()) +
                                    " arguments gave '" + Narrow(out) + "', expected '" +
                                    Narrow(expected) + "'");
}

// Every occurrence, left to right, without overlap, found by a plain scan.
std::u16string ScanReplace(const std::u16string& text, const std::u16string& from,
                           const std::u16string& to, size_t& nHits) {
    nHits = 0;
    if (from.empty())
        return text;
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, from.size(), from) == 0) {
            out += to;
            i += from.size();
            ++nHits;
        } else {
            out += text[i++];
        }
    }
    return out;
}

void Replace(fuzzcheck::ByteReader& input) {
    std::u16string text = Units(input.Bytes(input.Byte()));
    std::u16string from = Units(input.Bytes(input.Byte() % 16));
    std::u16string to = Units(input.Rest());
    std::unique_ptr<char16_t[]> t = Exact(text, false);
    std::unique_ptr<char16_t[]> f = Exact(from, false);
    std::unique_ptr<char16_t[]> r = Exact(to, false);
    std::u16string_view textView(t.get(), text.size());
    std::u16string_view fromView(f.get(), from.size());
    std::u16string_view toView(r.get(), to.size());

    std::u16string out = ReplaceAll(textView, fromView, toView);
    size_t nHits = 0;
    std::u16string expected = ScanReplace(text, from, to, nHits);
    std::string what = "'" + Narrow(text) + "' '" + Narrow(from) + "' -> '" + Narrow(to) +
                       "' gave '" + Narrow(out) + "'";
    FUZZ_CHECK(out == expected, what + ", expected '" + Narrow(expected) + "'");
    FUZZ_CHECK(out.size() + nHits * from.size() == text.size() + nHits * to.size(), what);
    FUZZ_CHECK(ReplaceAll(textView, fromView, fromView) == text, what);
    // With a replacement that is not empty and shares no unit with the searched text, no
    // occurrence can remain: none can span an inserted text, and none starts in a kept piece.
    bool bDisjoint = !to.empty() && !from.empty();
    for (char16_t c : to)
        bDisjoint = bDisjoint && from.find(c) == std::u16string::npos;
    if (bDisjoint)
        FUZZ_CHECK(out.find(from) == std::u16string::npos, what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    fuzzcheck::ByteReader input(pData, nSize);
    switch (input.Byte() % 3) {
        case 0:
            AnyFormat(input);
            break;
        case 1: {
            std::string rest = input.Rest();
            FuzzedDataProvider tokens(reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
            TokenFormat(tokens);
            break;
        }
        default:
            Replace(input);
            break;
    }
    return 0;
}
