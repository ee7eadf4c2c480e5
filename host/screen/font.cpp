#include "host/screen/font.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace host {

struct EmbeddedBytes {
  const uint8_t* data;
  size_t size;
};
EmbeddedBytes EmbeddedFont16();
EmbeddedBytes EmbeddedFont32();

namespace {

constexpr uint8_t kPsf1Magic[2] = {0x36, 0x04};
constexpr uint8_t kPsf1Mode512 = 0x01;
constexpr uint8_t kPsf1ModeHasTab = 0x02;
constexpr uint8_t kPsf2Magic[4] = {0x72, 0xB5, 0x4A, 0x86};
constexpr uint32_t kPsf2HasUnicodeTable = 0x01;

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Decodes one UTF-8 character at p (< end); returns its length, 0 if invalid.
size_t DecodeUtf8(const uint8_t* p, const uint8_t* end, uint32_t* cp) {
  int extra;
  uint32_t value;
  if (p[0] < 0x80) { *cp = p[0]; return 1; }
  if ((p[0] & 0xE0) == 0xC0) { extra = 1; value = p[0] & 0x1F; }
  else if ((p[0] & 0xF0) == 0xE0) { extra = 2; value = p[0] & 0x0F; }
  else if ((p[0] & 0xF8) == 0xF0) { extra = 3; value = p[0] & 0x07; }
  else return 0;
  if (end - p <= extra) return 0;
  for (int i = 1; i <= extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (p[i] & 0x3F);
  }
  *cp = value;
  return static_cast<size_t>(extra) + 1;
}

}  // namespace

bool Font::Parse(const uint8_t* data, size_t size, Font* out, std::string* error) {
  Font font;
  size_t header = 0;
  size_t glyph_bytes = 0;
  bool psf2 = false;
  if (size >= 4 && memcmp(data, kPsf1Magic, 2) == 0) {
    uint8_t mode = data[2];
    if (!(mode & kPsf1ModeHasTab)) {
      *error = "PSF1 font without a Unicode table";
      return false;
    }
    header = 4;
    font.glyph_count_ = (mode & kPsf1Mode512) ? 512 : 256;
    font.width_ = 8;
    font.height_ = data[3];
    glyph_bytes = font.height_;
  } else if (size >= 32 && memcmp(data, kPsf2Magic, 4) == 0) {
    psf2 = true;
    header = Le32(data + 8);
    uint32_t flags = Le32(data + 12);
    font.glyph_count_ = Le32(data + 16);
    glyph_bytes = Le32(data + 20);
    font.height_ = static_cast<int>(Le32(data + 24));
    font.width_ = static_cast<int>(Le32(data + 28));
    if (!(flags & kPsf2HasUnicodeTable)) {
      *error = "PSF2 font without a Unicode table";
      return false;
    }
    if (header < 32 || font.width_ <= 0 || font.width_ > 64 || font.height_ <= 0 ||
        font.height_ > 128 || font.glyph_count_ == 0 || font.glyph_count_ > 65536 ||
        glyph_bytes != static_cast<size_t>((font.width_ + 7) / 8 * font.height_)) {
      *error = "PSF2 header with impossible sizes";
      return false;
    }
  } else {
    *error = "not a PSF1 or PSF2 font";
    return false;
  }
  if (font.height_ == 0) {
    *error = "font with zero glyph height";
    return false;
  }
  font.row_bytes_ = (font.width_ + 7) / 8;
  size_t bitmap_size = font.glyph_count_ * glyph_bytes;
  if (header > size || bitmap_size > size - header) {
    *error = "font file cut short in its glyphs";
    return false;
  }
  font.bitmaps_.assign(data + header, data + header + bitmap_size);

  // Unicode table: one entry per glyph, each a list of characters, then
  // optional sequences (ignored: a cell shows one character), then the
  // terminator.
  const uint8_t* p = data + header + bitmap_size;
  const uint8_t* end = data + size;
  for (uint32_t glyph = 0; glyph < font.glyph_count_; ++glyph) {
    bool in_sequence = false;
    for (;;) {
      if (p >= end) {
        *error = "font's Unicode table cut short";
        return false;
      }
      uint32_t cp;
      if (psf2) {
        if (*p == 0xFF) { ++p; break; }
        if (*p == 0xFE) { in_sequence = true; ++p; continue; }
        size_t n = DecodeUtf8(p, end, &cp);
        if (n == 0) {
          *error = "bad UTF-8 in the font's Unicode table";
          return false;
        }
        p += n;
      } else {
        if (end - p < 2) {
          *error = "font's Unicode table cut short";
          return false;
        }
        cp = p[0] | (p[1] << 8);
        p += 2;
        if (cp == 0xFFFF) break;
        if (cp == 0xFFFE) { in_sequence = true; continue; }
      }
      if (!in_sequence) font.index_.emplace(cp, glyph);
    }
  }
  *out = std::move(font);
  return true;
}

const uint8_t* Font::Glyph(uint32_t codepoint) const {
  auto it = index_.find(codepoint);
  if (it == index_.end()) return nullptr;
  return bitmaps_.data() + static_cast<size_t>(it->second) * row_bytes_ * height_;
}

namespace {

Font LoadEmbedded(EmbeddedBytes bytes, const char* name) {
  Font font;
  std::string error;
  if (!Font::Parse(bytes.data, bytes.size, &font, &error)) {
    // The fonts are built in; a failure here is a broken build.
    fprintf(stderr, "hostsim: embedded font %s unusable: %s\n", name, error.c_str());
    abort();
  }
  return font;
}

}  // namespace

const TextFace& FaceForGdiFont(int font) {
  static const Font small = LoadEmbedded(EmbeddedFont16(), "Uni2-Terminus16");
  static const Font large = LoadEmbedded(EmbeddedFont32(), "Uni2-Terminus32x16");
  static const TextFace faces[3] = {
      {&large, 1, 16, 32},  // font 0
      {&large, 2, 32, 64},  // font 1
      {&small, 1, 8, 16},   // font 2
  };
  if (font >= 0 && font <= 2) return faces[font];
  return faces[1];
}

}  // namespace host
