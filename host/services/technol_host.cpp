#include "host/services/technol_host.h"

#include <stdio.h>
#include <string.h>

#include "host/services/dispatch.h"
#include "host/screen/screen.h"
#include "tracer/display_point.h"

namespace host {

namespace {

constexpr int kPictureSizeWord = 36, kPictureDrawWord = 52;
constexpr int kLargestPicture = 1024;

uint8_t NearestColour(int r, int g, int b) {
  int best = 0;
  long best_distance = -1;
  for (int v = 0; v < 256; ++v) {
    const uint32_t c = Palette(static_cast<uint8_t>(v));
    const long dr = static_cast<long>((c >> 16) & 0xFF) - r, dg = static_cast<long>((c >> 8) & 0xFF) - g,
               db = static_cast<long>(c & 0xFF) - b;
    const long d = dr * dr + dg * dg + db * db;
    if (best_distance < 0 || d < best_distance) {
      best = v;
      best_distance = d;
    }
  }
  return static_cast<uint8_t>(best);
}

// A header number of a PPM, skipping blanks and comments.
bool HeaderNumber(FILE* f, int* value) {
  int c = fgetc(f);
  while (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '#') {
    if (c == '#')
      while (c != '\n' && c != EOF) c = fgetc(f);
    c = fgetc(f);
  }
  if (c < '0' || c > '9') return false;
  *value = 0;
  while (c >= '0' && c <= '9') {
    if (*value > 100000) return false;
    *value = *value * 10 + (c - '0');
    c = fgetc(f);
  }
  return true;  // one blank after the number is consumed
}

}  // namespace

TechnolHost::TechnolHost(TracerHost& tracer, DisplayServices& display) : display_(display) {
  STRUCT_TRACER& r = tracer.record();
  record_ = &r;
  r.technolInput = input;
  r.technolOutput = output;
  r.technolPictures = reinterpret_cast<const uint8_t*>(this);
  r.technolInstance = 1;
  r.technolKey = &key;
  r.technolKeyModifier = &key_modifier;
  r.textPosition = &text_position;
  r.technolTextOffset = 0;
  SetText("");
  size_handle_ = RegisterService("PictureSize", [this](int count, va_list args) { return PictureSize(count, args); });
  draw_handle_ = RegisterService("PictureDraw", [this](int count, va_list args) { return PictureDraw(count, args); });
  display_.set_word(kPictureSizeWord, size_handle_);
  display_.set_word(kPictureDrawWord, draw_handle_);
  display_.set_mode_sizes(true);
}

TechnolHost::~TechnolHost() {
  display_.remove_word(kPictureSizeWord);
  display_.remove_word(kPictureDrawWord);
  UnregisterService(size_handle_);
  UnregisterService(draw_handle_);
}

void TechnolHost::SetText(const std::string& text) {
  text_ = text;
  if (record_ != nullptr) record_->technolText = text_.c_str();
}

void TechnolHost::SetPicture(uint32_t number, int width, int height, std::vector<uint8_t> pixels) {
  pictures_[number] = {width, height, std::move(pixels)};
}

bool TechnolHost::LoadPicture(uint32_t number, const std::string& path, std::string* error) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *error = path + ": cannot open";
    return false;
  }
  int width = 0, height = 0, depth = 0;
  const bool header = fgetc(f) == 'P' && fgetc(f) == '6' && HeaderNumber(f, &width) && HeaderNumber(f, &height) &&
                      HeaderNumber(f, &depth) && depth == 255 && width > 0 && height > 0 &&
                      width <= kLargestPicture && height <= kLargestPicture;
  std::vector<uint8_t> rgb(header ? static_cast<size_t>(width) * height * 3 : 0);
  const bool read = header && fread(rgb.data(), 1, rgb.size(), f) == rgb.size();
  fclose(f);
  if (!read) {
    *error = path + ": not a binary PPM (P6, depth 255, at most 1024 x 1024) or cut short";
    return false;
  }
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = NearestColour(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  SetPicture(number, width, height, std::move(pixels));
  return true;
}

std::string TechnolHost::HandedText() const {
  const char* text = reinterpret_cast<const char*>(output + 12);
  return std::string(text, strnlen(text, 31));
}

int TechnolHost::PictureSize(int count, va_list args) {
  if (count != 2) return 0;
  const void* data = va_arg(args, const void*);
  const uint32_t number = va_arg(args, uint32_t);
  auto it = pictures_.find(number);
  if (data != this || it == pictures_.end()) return 0;
  return static_cast<int>(PackPoint(it->second.width, it->second.height));
}

int TechnolHost::PictureDraw(int count, va_list args) {
  if (count != 4) return 0;
  const void* data = va_arg(args, const void*);
  const uint32_t number = va_arg(args, uint32_t), tl = va_arg(args, uint32_t), br = va_arg(args, uint32_t);
  auto it = pictures_.find(number);
  if (data != this || it == pictures_.end()) return 0;
  const Picture& p = it->second;
  const int left = tl & 0xFFFF, top = tl >> 16, right = br & 0xFFFF, bottom = br >> 16;
  for (int y = 0; y < p.height && top + y <= bottom; ++y)
    for (int x = 0; x < p.width && left + x <= right; ++x)
      display_.screen().Plot(left + x, top + y, p.pixels[static_cast<size_t>(y) * p.width + x]);
  return 1;
}

}  // namespace host
