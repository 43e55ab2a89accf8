#pragma once

#include <cstdint>

namespace kelvanter {

// Mouse pointer codes of the windows.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// The bar's two colours, 0x00BBGGRR: the bar itself, and the empty box behind it.
inline constexpr std::uint32_t kBarColor = 49344;
inline constexpr std::uint32_t kEmptyBarColor = 16384;

} // namespace kelvanter

// The windows' colours, 0x00BBGGRR.
namespace kelvanter::palette {

inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kDarkYellow = kBarColor;
inline constexpr std::uint32_t kDarkGreen = kEmptyBarColor;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kLightYellow = 0xC0FFFF;
inline constexpr std::uint32_t kDarkBlue = 0xC00000;

} // namespace kelvanter::palette
