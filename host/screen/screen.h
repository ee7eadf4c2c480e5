// The simulator's screen: a framebuffer of 8-bit host colour values.
//
// Colour values 0..15 are the control's logical colours (the graphics
// table's colour map sends logical colour k to host value k by default);
// Palette() gives every value an RGB colour, see "Screen colours" in the
// README. Coordinates: x to the right, y downwards, (0, 0) top left.
// Everything is clipped to the screen; nothing outside it is touched.
//
// Exclusive-or mode: while it is on, every pixel a drawing operation sets
// (lines, fills, triangles, glyph and cell background pixels) is xor'ed
// with the colour instead of replacing it, and each operation sets each
// pixel at most once, so drawing a figure twice restores the screen.
// Save and restore are copies and ignore the mode.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace host {

// RGB (0xRRGGBB) of a host colour value.
uint32_t Palette(uint8_t value);

class Screen {
 public:
  explicit Screen(int width = 800, int height = 600, uint8_t background = 0);

  int width() const { return width_; }
  int height() const { return height_; }
  // 0 for points outside the screen.
  uint8_t Pixel(int x, int y) const;
  const std::vector<uint8_t>& pixels() const { return pixels_; }
  void Clear(uint8_t value);

  void SetXorMode(bool on) { xor_mode_ = on; }
  bool xor_mode() const { return xor_mode_; }

  // Sets one pixel (honours the exclusive-or mode).
  void Plot(int x, int y, uint8_t colour);
  // Rectangle of w x h pixels from (x, y); nothing when w or h <= 0.
  void FillRect(int x, int y, int w, int h, uint8_t colour);
  // Bresenham line, both ends included. Pixel i along the line (i = 0 at
  // the start) is drawn when bit 15 - (i mod 16) of the pattern is set.
  void Line(int x1, int y1, int x2, int y2, uint16_t pattern, uint8_t colour);
  // Filled triangle: every row spans from the leftmost to the rightmost
  // pixel of the three edges drawn as solid lines, so the fill covers its
  // own outline and a degenerate triangle still shows as a line.
  void Triangle(int x1, int y1, int x2, int y2, int x3, int y3, uint8_t colour);

  // Copies of a rectangle's pixels (row by row; points outside the screen
  // read as 0 and are not written back).
  std::vector<uint8_t> Read(int x, int y, int w, int h) const;
  void Write(int x, int y, int w, int h, const std::vector<uint8_t>& pixels);

  // One character of the control's character set in a cell of the GDI
  // font's size with its top-left corner at (x, y). Glyph pixels take fg;
  // the rest of the cell takes bg unless bg is 255 (transparent). A code
  // with no glyph in the font draws a replacement box and is counted.
  void DrawChar(int x, int y, uint8_t code, int font, uint8_t fg, uint8_t bg);
  // Characters drawn as a replacement box since construction.
  int replacement_glyphs() const { return replacement_glyphs_; }

  // The screen as 24-bit RGB through Palette(), row by row.
  std::vector<uint8_t> Rgb() const;
  // Writes the screen as a PNG file; false with a message on failure.
  bool WritePng(const std::string& path, std::string* error = nullptr) const;
  // The bytes WritePng writes.
  std::vector<uint8_t> Png() const;

 private:
  int width_;
  int height_;
  bool xor_mode_ = false;
  int replacement_glyphs_ = 0;
  std::vector<uint8_t> pixels_;
};

}  // namespace host
