// Display scaling: a length in 96-DPI units (what the layout rules and the settings file hold) and the same
// length in the pixels of a window at some DPI.
#pragma once

#include <cstdint>

namespace twk {

// The DPI at which one unit is one pixel.
constexpr int kBaseDpi = 96;

// The DPI to scale by: a DPI that no display reports (0, negative) is taken as the base.
constexpr int usableDpi(int dpi) {
    return dpi > 0 ? dpi : kBaseDpi;
}

// value × to / from, rounded to the nearest integer with halves away from zero, kept inside int32.
int scaleRounded(std::int64_t value, int to, int from);

// A 96-DPI quantity in pixels at `dpi`.
inline int scaleToDpi(int value, int dpi) {
    return scaleRounded(value, usableDpi(dpi), kBaseDpi);
}
// Pixels at `dpi` in 96-DPI units. For every DPI of 96 and above, scaleFromDpi(scaleToDpi(v, dpi), dpi) == v:
// a value read from the settings file and written back unchanged is the same number.
inline int scaleFromDpi(int pixels, int dpi) {
    return scaleRounded(pixels, kBaseDpi, usableDpi(dpi));
}

// The scaling of one window: its DPI and both directions.
class DpiScale {
  public:
    constexpr explicit DpiScale(int dpi = kBaseDpi) : dpi_(usableDpi(dpi)) {}
    int dpi() const { return dpi_; }
    // A 96-DPI rule in pixels.
    int px(int value) const { return scaleToDpi(value, dpi_); }
    // Pixels in 96-DPI units.
    int units(int pixels) const { return scaleFromDpi(pixels, dpi_); }

  private:
    int dpi_;
};

}  // namespace twk
