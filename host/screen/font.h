// Bitmap console fonts (PSF1 and PSF2 with a Unicode table) and the three
// text faces of the graphics services.
//
// The faces are Terminus from console-setup-linux, embedded at build time:
//   GDI font 2  -> Terminus 8 x 16
//   GDI font 0  -> Terminus 16 x 32
//   GDI font 1  -> Terminus 16 x 32 drawn at twice its size (32 x 64)
//   any other   -> as font 1 (the libraries size unknown fonts as 32 x 64)
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace host {

class Font {
 public:
  // Parses a PSF1 or PSF2 image (uncompressed). A font without a Unicode
  // table is refused: glyphs are looked up by character. False with a
  // message in *error for anything malformed.
  static bool Parse(const uint8_t* data, size_t size, Font* out, std::string* error);

  int width() const { return width_; }
  int height() const { return height_; }
  size_t glyph_count() const { return glyph_count_; }

  // Glyph of a Unicode character, or nullptr when the font has none.
  // Rows top to bottom, each (width + 7) / 8 bytes, most significant bit
  // leftmost.
  const uint8_t* Glyph(uint32_t codepoint) const;
  bool GlyphPixel(const uint8_t* glyph, int x, int y) const {
    return (glyph[y * row_bytes_ + x / 8] >> (7 - x % 8)) & 1;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  int row_bytes_ = 0;
  size_t glyph_count_ = 0;
  std::vector<uint8_t> bitmaps_;
  std::unordered_map<uint32_t, uint32_t> index_;  // character -> glyph
};

// A text face: a font drawn at an integer scale into cells of a fixed size.
struct TextFace {
  const Font* font;
  int scale;
  int cell_width;
  int cell_height;
};

// The face for a GDI font number (see the table at the top).
const TextFace& FaceForGdiFont(int font);

}  // namespace host
