#include "host/screen/screen.h"

#include <stdlib.h>

#include <algorithm>

#include "bridge/charset.h"
#include "host/screen/font.h"
#include "host/screen/png.h"

namespace host {

uint32_t Palette(uint8_t value) {
  // The logical colours of an operator screen: black background, white
  // text, greys for frames, fills and status lines, signal colours.
  static const uint32_t kLogical[16] = {
      0x000000,  //  0 CLR_BLACK / CLR_T15
      0x102040,  //  1 CLR_T14: dark navy
      0x1C3A66,  //  2 CLR_T13: navy
      0x2E5A94,  //  3 CLR_T12: steel blue
      0x585858,  //  4 CLR_P3: dark grey
      0x8C8C8C,  //  5 CLR_P2: grey (status lines)
      0xB4B4B4,  //  6 CLR_P1: mid grey
      0xFFFFFF,  //  7 CLR_WHITE / CLR_P0
      0xE4E4E4,  //  8 CLR_LIGHT: highlight edge
      0xC8C8C8,  //  9 CLR_FILL: light grey fill
      0x404040,  // 10 CLR_DARK: shadow edge
      0xFFE000,  // 11 CLR_YELLOW
      0x9C40C8,  // 12 CLR_VIOLET
      0xE02020,  // 13 CLR_RED
      0x20C040,  // 14 CLR_GREEN
      0x00806C,  // 15 CLR_GREEN_MENU: dark teal green
  };
  if (value < 16) return kLogical[value];
  if (value < 232) {
    // 6 x 6 x 6 colour cube.
    static const uint8_t kLevel[6] = {0x00, 0x5F, 0x87, 0xAF, 0xD7, 0xFF};
    int i = value - 16;
    return (kLevel[i / 36] << 16) | (kLevel[i / 6 % 6] << 8) | kLevel[i % 6];
  }
  uint32_t grey = 8 + 10 * (value - 232);  // 24-step grey ramp
  return (grey << 16) | (grey << 8) | grey;
}

Screen::Screen(int width, int height, uint8_t background)
    : width_(std::max(width, 1)),
      height_(std::max(height, 1)),
      pixels_(static_cast<size_t>(width_) * height_, background) {}

uint8_t Screen::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

void Screen::Clear(uint8_t value) { std::fill(pixels_.begin(), pixels_.end(), value); }

void Screen::Plot(int x, int y, uint8_t colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t& pixel = pixels_[static_cast<size_t>(y) * width_ + x];
  pixel = xor_mode_ ? pixel ^ colour : colour;
}

void Screen::FillRect(int x, int y, int w, int h, uint8_t colour) {
  if (w <= 0 || h <= 0) return;
  int left = std::max(x, 0), top = std::max(y, 0);
  int right = std::min<long long>(static_cast<long long>(x) + w, width_);
  int bottom = std::min<long long>(static_cast<long long>(y) + h, height_);
  // A rectangle wholly beside the screen leaves nothing to fill.
  if (left >= right || top >= bottom) return;
  for (int row = top; row < bottom; ++row) {
    uint8_t* span = &pixels_[static_cast<size_t>(row) * width_];
    if (xor_mode_) {
      for (int col = left; col < right; ++col) span[col] ^= colour;
    } else {
      std::fill(span + left, span + right, colour);
    }
  }
}

namespace {

// Calls fn(x, y, i) for every point of the Bresenham line from (x1, y1) to
// (x2, y2), both included, i counting from 0 at the start.
template <typename Fn>
void Bresenham(int x1, int y1, int x2, int y2, Fn fn) {
  int dx = abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
  int dy = -abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
  int err = dx + dy;
  for (int i = 0;; ++i) {
    fn(x1, y1, i);
    if (x1 == x2 && y1 == y2) return;
    int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x1 += sx; }
    if (e2 <= dx) { err += dx; y1 += sy; }
  }
}

}  // namespace

void Screen::Line(int x1, int y1, int x2, int y2, uint16_t pattern, uint8_t colour) {
  auto on_screen = [this](int x, int y) { return x >= 0 && y >= 0 && x < width_ && y < height_; };
  if (!on_screen(x1, y1) || !on_screen(x2, y2)) {
    Bresenham(x1, y1, x2, y2, [&](int x, int y, int i) {
      if (pattern & (0x8000u >> (i & 15))) Plot(x, y, colour);
    });
    return;
  }
  // Every point of the line lies in the box of its ends: with both ends on
  // the screen no pixel needs a check of its own.
  uint8_t* pixels = pixels_.data();
  const bool xor_mode = xor_mode_;
  Bresenham(x1, y1, x2, y2, [&](int x, int y, int i) {
    if (!(pattern & (0x8000u >> (i & 15)))) return;
    uint8_t& pixel = pixels[static_cast<size_t>(y) * width_ + x];
    pixel = xor_mode ? pixel ^ colour : colour;
  });
}

void Screen::Triangle(int x1, int y1, int x2, int y2, int x3, int y3, uint8_t colour) {
  int top = std::min({y1, y2, y3}), bottom = std::max({y1, y2, y3});
  std::vector<int> left(bottom - top + 1, INT32_MAX), right(bottom - top + 1, INT32_MIN);
  auto edge = [&](int ax, int ay, int bx, int by) {
    Bresenham(ax, ay, bx, by, [&](int x, int y, int) {
      left[y - top] = std::min(left[y - top], x);
      right[y - top] = std::max(right[y - top], x);
    });
  };
  edge(x1, y1, x2, y2);
  edge(x2, y2, x3, y3);
  edge(x3, y3, x1, y1);
  for (int y = top; y <= bottom; ++y) {
    if (y < 0 || y >= height_) continue;
    int from = std::max(left[y - top], 0), to = std::min(right[y - top], width_ - 1);
    for (int x = from; x <= to; ++x) Plot(x, y, colour);
  }
}

std::vector<uint8_t> Screen::Read(int x, int y, int w, int h) const {
  std::vector<uint8_t> out;
  if (w <= 0 || h <= 0) return out;
  out.reserve(static_cast<size_t>(w) * h);
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col) out.push_back(Pixel(x + col, y + row));
  return out;
}

void Screen::Write(int x, int y, int w, int h, const std::vector<uint8_t>& pixels) {
  if (w <= 0 || h <= 0 || pixels.size() < static_cast<size_t>(w) * h) return;
  for (int row = 0; row < h; ++row) {
    for (int col = 0; col < w; ++col) {
      int px = x + col, py = y + row;
      if (px < 0 || py < 0 || px >= width_ || py >= height_) continue;
      pixels_[static_cast<size_t>(py) * width_ + px] = pixels[static_cast<size_t>(row) * w + col];
    }
  }
}

void Screen::DrawChar(int x, int y, uint8_t code, int font, uint8_t fg, uint8_t bg) {
  const TextFace& face = FaceForGdiFont(font);
  uint32_t cp = ZorvDisplayGlyph(code);
  const uint8_t* glyph = nullptr;
  bool blank = cp != 0 && cp < 0x20;  // tab, line feed, ...: an empty cell
  if (!blank && cp != 0) glyph = face.font->Glyph(cp);
  bool replacement = !blank && glyph == nullptr;
  if (replacement) ++replacement_glyphs_;
  // The font's glyph is centred in the cell (the faces fill their cells).
  int gw = face.font->width() * face.scale, gh = face.font->height() * face.scale;
  int ox = (face.cell_width - gw) / 2, oy = (face.cell_height - gh) / 2;
  for (int row = 0; row < face.cell_height; ++row) {
    for (int col = 0; col < face.cell_width; ++col) {
      bool ink;
      if (replacement) {
        // A hollow box one pixel inside the cell.
        int last_col = face.cell_width - 2, last_row = face.cell_height - 2;
        ink = col >= 1 && row >= 1 && col <= last_col && row <= last_row &&
              (col == 1 || row == 1 || col == last_col || row == last_row);
      } else if (glyph) {
        int gx = col - ox, gy = row - oy;
        ink = gx >= 0 && gy >= 0 && gx < gw && gy < gh &&
              face.font->GlyphPixel(glyph, gx / face.scale, gy / face.scale);
      } else {
        ink = false;
      }
      if (ink) Plot(x + col, y + row, fg);
      else if (bg != 255) Plot(x + col, y + row, bg);
    }
  }
}

std::vector<uint8_t> Screen::Rgb() const {
  std::vector<uint8_t> rgb;
  rgb.reserve(pixels_.size() * 3);
  for (uint8_t value : pixels_) {
    uint32_t c = Palette(value);
    rgb.push_back(static_cast<uint8_t>(c >> 16));
    rgb.push_back(static_cast<uint8_t>(c >> 8));
    rgb.push_back(static_cast<uint8_t>(c));
  }
  return rgb;
}

bool Screen::WritePng(const std::string& path, std::string* error) const {
  std::vector<uint8_t> rgb = Rgb();
  return WritePngRgb(path, width_, height_, rgb.data(), error);
}

std::vector<uint8_t> Screen::Png() const {
  std::vector<uint8_t> rgb = Rgb();
  return EncodePngRgb(width_, height_, rgb.data());
}

}  // namespace host
