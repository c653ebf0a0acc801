#include "text/TextFormat.h"

#include <vector>

const char16_t MODEL_STRING[] = u"KESTAL-3 5 9";

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from,
                          std::u16string_view to) {
    if (from.empty())
        return std::u16string(text);
    std::u16string result;
    size_t pos = 0;
    for (size_t hit; (hit = text.find(from, pos)) != std::u16string_view::npos;
         pos = hit + from.size()) {
        result.append(text.substr(pos, hit - pos));
        result.append(to);
    }
    result.append(text.substr(pos));
    return result;
}

namespace {

std::u16string DecimalText(int32_t n) {
    // Built from the unsigned magnitude, so the most negative value needs no negation.
    uint32_t magnitude = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (n < 0)
        digits.insert(digits.begin(), u'-');
    return digits;
}

void AppendPadded(std::u16string& out, const std::u16string& field, size_t width, bool bLeft,
                  bool bZero) {
    size_t pad = field.size() < width ? width - field.size() : 0;
    if (bLeft) {
        out += field;
        out.append(pad, u' ');
    } else if (bZero && !field.empty() && field[0] == u'-') {
        out += u'-';
        out.append(pad, u'0');
        out.append(field, 1, std::u16string::npos);
    } else {
        out.append(pad, bZero ? u'0' : u' ');
        out += field;
    }
}

}  // namespace

std::u16string FormatText(std::u16string_view format, std::initializer_list<FormatArg> args) {
    std::vector<FormatArg> list(args);
    size_t next = 0;
    std::u16string out;
    size_t i = 0;
    while (i < format.size()) {
        char16_t c = format[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        size_t start = i++;
        bool bLeft = false, bZero = false;
        for (; i < format.size() && (format[i] == u'-' || format[i] == u'0'); ++i) {
            if (format[i] == u'-')
                bLeft = true;
            if (format[i] == u'0')
                bZero = true;
        }
        size_t width = 0;
        for (; i < format.size() && format[i] >= u'0' && format[i] <= u'9'; ++i) {
            width = width * 10 + static_cast<size_t>(format[i] - u'0');
            if (width > FORMAT_MAX_WIDTH)
                width = FORMAT_MAX_WIDTH;
        }
        if (i >= format.size()) {  // a lone '%' at the end stays as written
            out.append(format.substr(start));
            break;
        }
        char16_t kind = format[i++];
        if (kind == u'd') {
            int32_t n = next < list.size() && !list[next].szValue ? list[next].nValue : 0;
            ++next;
            AppendPadded(out, DecimalText(n), width, bLeft, bZero);
        } else if (kind == u's') {
            const char16_t* sz =
                next < list.size() && list[next].szValue ? list[next].szValue : u"";
            ++next;
            AppendPadded(out, std::u16string(sz), width, bLeft, false);
        } else if (kind == u'%' && i == start + 2) {
            out += u'%';
        } else {  // not a directive of ours: kept as written
            out.append(format.substr(start, i - start));
        }
    }
    return out;
}
