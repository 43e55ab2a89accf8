#include "platform/Wtf8.h"

namespace kelvanter {

namespace {

bool isHighSurrogateUnit(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogateUnit(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

namespace {

void appendUtf16(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
        return;
    }
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
}

} // namespace

char32_t decodeWtf8(const std::string& bytes, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    int length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        ++at;
        return 0xFFFD;
    }
    if (at + length > bytes.size()) {
        ++at;
        return 0xFFFD;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms and code points past Unicode's end are not well-formed.
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF) {
        ++at;
        return 0xFFFD;
    }
    at += length;
    return code;
}

std::string wtf8FromUtf16(const std::u16string& utf16) {
    std::string out;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t unit = utf16[i];
        if (isHighSurrogateUnit(unit) && i + 1 < utf16.size() && isLowSurrogateUnit(utf16[i + 1])) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, unit); // a lone surrogate keeps its three bytes
        }
    }
    return out;
}

std::u16string utf16FromWtf8(const std::string& wtf8) {
    std::u16string out;
    for (std::size_t at = 0; at < wtf8.size();)
        appendUtf16(out, decodeWtf8(wtf8, at));
    return out;
}

} // namespace kelvanter
