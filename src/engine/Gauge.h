#pragma once

#include <cstdint>

namespace bailan {

// Colours as the system stores them: red in the low byte, then green, then blue.
constexpr std::uint32_t RgbColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return red | (std::uint32_t{green} << 8) | (std::uint32_t{blue} << 16);
}

// A job's progress gauge as a model: the window binds a widget to it and places
// it over the job's row. Used on the GUI thread only.
struct TGauge {
  static constexpr std::uint32_t kBackColor = RgbColor(255, 255, 255);
  static constexpr std::uint32_t kForeColor = 13987603;  // red 19, green 111, blue 213

  std::int32_t MinValue = 0;
  std::int32_t MaxValue = 100;
  std::int32_t Progress = 0;
  std::uint32_t BackColor = kBackColor;
  std::uint32_t ForeColor = kForeColor;
  bool ShowText = true;  // the percentage is drawn as text
  bool Visible = true;
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;  // placed over the row by the window
};

}  // namespace bailan
