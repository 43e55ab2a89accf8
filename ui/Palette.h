#pragma once

#include <cstdint>

namespace kelvanter::palette {

inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kDarkYellow = 0x00C0C0;
inline constexpr std::uint32_t kDarkGreen = 0x004000;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kLightYellow = 0xC0FFFF;
inline constexpr std::uint32_t kDarkBlue = 0xC00000;

} // namespace kelvanter::palette
