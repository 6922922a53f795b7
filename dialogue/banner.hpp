#pragma once

// The start screen: a 23-line box, 78 characters wide, in yellow on blue.

#include <array>
#include <string>

#include "console/console.hpp"

namespace durno {

inline constexpr int kBannerLineCount = 23;
inline constexpr int kBannerWidth = 78;

// The banner's lines, top to bottom, each exactly kBannerWidth characters.
std::array<std::string, kBannerLineCount> bannerLines();

// Clears the screen, switches to yellow on blue for the rest of the run, writes the
// banner and waits for a key. False when that key was ESC: the user chose to leave
// before anything was asked or touched.
bool showBannerAndWait(Console& console);

}  // namespace durno
