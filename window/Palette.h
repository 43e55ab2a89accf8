#pragma once

#include "core/VeskDisplay.h"

#include <cstdint>

// The windows' colours, 0x00BBGGRR; the bar's two colours are the core's, which sets them.
namespace kelvanter::palette {

inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kDarkYellow = kBarColor;
inline constexpr std::uint32_t kDarkGreen = kEmptyBarColor;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kLightYellow = 0xC0FFFF;
inline constexpr std::uint32_t kDarkBlue = 0xC00000;

} // namespace kelvanter::palette
