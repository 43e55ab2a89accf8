#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <string_view>

namespace kelvanter {

// Characters picked from the alphabet by the system's source of randomness: names no one can
// guess and make beforehand.
inline std::string randomText(std::string_view alphabet, std::size_t length) {
    std::random_device source;
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string text;
    while (text.size() < length)
        text += alphabet[pick(source)];
    return text;
}

} // namespace kelvanter
