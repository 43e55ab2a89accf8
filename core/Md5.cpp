#include "Md5.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace kelvanter {

namespace {

constexpr std::array<std::uint32_t, 64> kSines = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};
constexpr std::array<int, 16> kShifts = {7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};

std::uint32_t rotateLeft(std::uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

void processBlock(std::array<std::uint32_t, 4>& state, const unsigned char* block) {
    std::array<std::uint32_t, 16> words{};
    for (int i = 0; i < 16; ++i)
        words[i] = static_cast<std::uint32_t>(block[i * 4]) | static_cast<std::uint32_t>(block[i * 4 + 1]) << 8 |
                   static_cast<std::uint32_t>(block[i * 4 + 2]) << 16 |
                   static_cast<std::uint32_t>(block[i * 4 + 3]) << 24;
    auto [a, b, c, d] = state;
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        std::uint32_t mix = 0;
        int index = 0;
        if (round == 0) {
            mix = (b & c) | (~b & d);
            index = i;
        } else if (round == 1) {
            mix = (d & b) | (~d & c);
            index = (5 * i + 1) % 16;
        } else if (round == 2) {
            mix = b ^ c ^ d;
            index = (3 * i + 5) % 16;
        } else {
            mix = c ^ (b | ~d);
            index = (7 * i) % 16;
        }
        const std::uint32_t next = b + rotateLeft(a + mix + kSines[i] + words[index], kShifts[round * 4 + i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

} // namespace

std::string md5Hex(const std::string& bytes) {
    std::string message = bytes;
    const std::uint64_t bitLength = static_cast<std::uint64_t>(bytes.size()) * 8;
    message.push_back(static_cast<char>(0x80));
    while (message.size() % 64 != 56)
        message.push_back('\0');
    for (int i = 0; i < 8; ++i)
        message.push_back(static_cast<char>((bitLength >> (8 * i)) & 0xFF));

    std::array<std::uint32_t, 4> state = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    for (std::size_t offset = 0; offset < message.size(); offset += 64)
        processBlock(state, reinterpret_cast<const unsigned char*>(message.data() + offset));

    std::string hex;
    for (std::uint32_t word : state) {
        for (int i = 0; i < 4; ++i) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02x", (word >> (8 * i)) & 0xFF);
            hex += digits;
        }
    }
    return hex;
}

} // namespace kelvanter
