#pragma once

#include <string>

namespace kelvanter {

// A Windows name is UTF-16 and may hold an unpaired surrogate, which UTF-8 cannot carry. WTF-8
// is UTF-8 extended to such surrogates (each as its own three bytes), so every UTF-16 name
// survives the trip through the core's narrow paths and back.
std::string wtf8FromUtf16(const std::u16string& utf16);
// Bytes that are not WTF-8 (they never come from wtf8FromUtf16) become U+FFFD.
std::u16string utf16FromWtf8(const std::string& wtf8);

// One code point (a surrogate included) from `at`, which moves past it; U+FFFD for a byte that
// starts no well-formed sequence, which is passed alone.
char32_t decodeWtf8(const std::string& bytes, std::size_t& at);
void appendUtf8(std::string& out, char32_t code);

} // namespace kelvanter
