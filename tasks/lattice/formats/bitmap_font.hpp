// RGB pictures drawn without a window system, and the small bitmap font their
// texts are drawn in: our own 5 x 7 dot glyphs, one dot of space after each,
// for the upper-case letters, the digits, space and . , - + ' : ( ) / = [ ].
// Lower-case letters are drawn as upper case, any other character as a space.
// At `scale` every dot is a square of scale x scale pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace egm2008 {

/// An 8-bit sRGB colour.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

/// An RGB picture, rows from the top, 3 bytes a pixel.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;

    RgbImage() = default;
    RgbImage(int w, int h, Rgb fill);
    /// Pixel (x, y); writes outside the picture are dropped.
    void Set(int x, int y, Rgb colour);
    Rgb At(int x, int y) const;
    /// A filled rectangle, clipped to the picture.
    void Fill(int x, int y, int w, int h, Rgb colour);
};

inline constexpr int kGlyphHeight = 7;
/// Dots from one glyph's left edge to the next one's.
inline constexpr int kGlyphAdvance = 6;

/// The width in pixels of `text` at `scale`, without the space after the last glyph.
int TextWidth(const std::string& text, int scale);

/// Draws `text` with its top left corner at (x, y).
void DrawText(RgbImage& image, int x, int y, const std::string& text, int scale, Rgb colour);

}  // namespace egm2008
