#include "host/services/display_services.h"

#include <math.h>
#include <string.h>

#include <string>

#include "host/screen/font.h"
#include "host/services/dispatch.h"
#include "host/services/draw_calls.h"

namespace host {
namespace {

// Fonts 0 and 38 are the large face; the screen draws them as its font 0.
int ScreenFont(int display_font) { return display_font == 0 || display_font == 38 ? 0 : 2; }

// Longer texts than this cannot fit on any screen the simulator draws.
constexpr size_t kMaxText = 4096;

constexpr double kTwoPi = 6.283185307179586;

}  // namespace

DisplayServices::DisplayServices(Screen& screen, TextStyle style) : screen_(screen), style_(style) {
  for (int k = 0; k <= 14; ++k) block_[kDisplayPaletteFirst + k] = static_cast<uint8_t>(k);
  block_[BARVA_TMZELENA] = 22;
  block_[BARVA_36] = 244;
  block_[BARVA_ZELENA_MENU] = 15;
  for (int word = kDisplaySetColors; word <= kDisplayLastWord; ++word) {
    switch (word) {
      case kDisplaySetColors: Register(word, "DisplaySetColors", 2, &DisplayServices::SetColors); break;
      case kDisplayFill: Register(word, "DisplayFill", 2, &DisplayServices::Fill); break;
      case kDisplayLine: Register(word, "DisplayLine", 3, &DisplayServices::Line); break;
      case kDisplayArc: Register(word, "DisplayArc", 4, &DisplayServices::Arc); break;
      case kDisplayTextStyle: Register(word, "DisplayTextStyle", 5, &DisplayServices::TextStyleCall); break;
      case kDisplayWriteText: Register(word, "DisplayWriteText", 1, &DisplayServices::WriteText); break;
      case kDisplayWriteChar: Register(word, "DisplayWriteChar", 1, &DisplayServices::WriteChar); break;
      default: Register(word, "DisplayWord", -1, &DisplayServices::Refuse); break;
    }
  }
}

DisplayServices::~DisplayServices() {
  for (uint32_t handle : handles_) UnregisterService(handle);
}

HostDispatch DisplayServices::dispatch() const { return HostDispatchEntry; }

uint32_t DisplayServices::handle(int word) const {
  if (word < 0 || word > kDisplayLastWord) return 0;
  uint32_t h;
  memcpy(&h, block_ + 4 * word, sizeof h);
  return h;
}

void DisplayServices::set_palette(int byte, uint8_t colour) {
  if (byte >= kDisplayPaletteFirst && byte <= kDisplayPaletteLast) block_[byte] = colour;
}

void DisplayServices::set_word(int word, uint32_t handle) {
  if (word >= kDisplaySetColors && word <= kDisplayLastWord) memcpy(block_ + 4 * word, &handle, 4);
}

void DisplayServices::remove_word(int word) {
  if (word >= kDisplaySetColors && word <= kDisplayLastWord) memset(block_ + 4 * word, 0, 4);
}

// count -1: any count is accepted by the handler (the refusing one).
void DisplayServices::Register(int word, const char* name, int count, Handler handler) {
  uint32_t handle = RegisterService(name, [this, word, name, count, handler](int given, va_list args) {
    GdiCall call;
    call.word = word;
    call.service = name;
    call.count = given;
    int result = CountAccepted(call, count) ? (this->*handler)(call, args) : 0;
    call.result = result;
    recorder_.Record(std::move(call));
    return result;
  });
  memcpy(block_ + 4 * word, &handle, sizeof handle);
  handles_.push_back(handle);
}

int DisplayServices::SetColors(GdiCall& call, va_list args) {
  DecodeColors(call, args, &fg_, &bg_);
  return 1;
}

int DisplayServices::Fill(GdiCall& call, va_list args) {
  DrawFill(screen_, call, args, fg_);
  return 1;
}

int DisplayServices::Line(GdiCall& call, va_list args) {
  DrawLine(screen_, call, args, fg_);
  return 1;
}

int DisplayServices::Arc(GdiCall& call, va_list args) {
  uint32_t centre = va_arg(args, uint32_t), start = va_arg(args, uint32_t);
  uint32_t end = va_arg(args, uint32_t), last = va_arg(args, uint32_t);
  call.args = {centre, start, end, last};
  call.x = PackedX(centre);
  call.y = PackedY(centre);
  call.x2 = PackedX(start);
  call.y2 = PackedY(start);
  call.x3 = PackedX(end);
  call.y3 = PackedY(end);
  call.value = static_cast<int>(last);
  call.fg = fg_;
  // Angles as seen on the screen: y grows downwards, so it is negated.
  double sx = call.x2 - call.x, sy = call.y - call.y2;
  double ex = call.x3 - call.x, ey = call.y - call.y3;
  double radius = sqrt(sx * sx + sy * sy);
  if (radius < 0.5) {
    screen_.Plot(call.x, call.y, fg_);
    return 1;
  }
  double from = atan2(sy, sx);
  double sweep = kTwoPi;
  if (start != end) {
    sweep = atan2(ey, ex) - from;
    while (sweep <= 0) sweep += kTwoPi;
  }
  // Chords of about two pixels, at least eight per arc.
  int steps = static_cast<int>(ceil(sweep * radius / 2.0));
  if (steps < 8) steps = 8;
  int px = call.x2, py = call.y2;
  for (int i = 1; i <= steps; ++i) {
    double a = from + sweep * i / steps;
    int qx = call.x + static_cast<int>(lround(radius * cos(a)));
    int qy = call.y - static_cast<int>(lround(radius * sin(a)));
    screen_.Line(px, py, qx, qy, 0xFFFF, fg_);
    px = qx;
    py = qy;
  }
  return 1;
}

int DisplayServices::TextStyleCall(GdiCall& call, va_list args) {
  uint32_t a[5];
  for (uint32_t& v : a) v = va_arg(args, uint32_t);
  call.args.assign(a, a + 5);
  uint32_t font, fg, bg;
  TextCursor next;
  if (style_ == TextStyle::kScreen) {
    next.columns = static_cast<int>(a[1] & 0xFF);
    next.rows = static_cast<int>((a[1] >> 8) & 0xFF);
    fg = a[2];
    bg = a[3];
    font = a[4];
  } else {
    font = a[1];
    fg = a[2];
    bg = a[3];
  }
  next.left = call.x = PackedX(a[0]);
  next.top = call.y = PackedY(a[0]);
  next.fg = static_cast<uint8_t>(fg);
  next.bg = static_cast<uint8_t>(bg);
  next.font = static_cast<int>(font);
  next.face = ScreenFont(next.font);
  if (mode_sizes_ && style_ == TextStyle::kForm) next.face = a[4] == 0 ? 0 : a[4] == 1 ? 1 : 2;
  call.columns = next.columns;
  call.rows = next.rows;
  call.fg = next.fg;
  call.bg = next.bg;
  call.font = next.font;
  text_ = next;
  return 1;
}

void DisplayServices::PutChar(uint8_t code) {
  if (code == '\n') {
    text_.column = 0;
    ++text_.row;
    return;
  }
  if (code == '\r') {
    text_.column = 0;
    return;
  }
  bool inside = (text_.columns < 0 || text_.column < text_.columns) && (text_.rows < 0 || text_.row < text_.rows);
  if (inside) {
    int font = text_.face;
    const TextFace& face = FaceForGdiFont(font);
    screen_.DrawChar(text_.left + text_.column * face.cell_width, text_.top + text_.row * face.cell_height, code,
                     font, text_.fg, text_.bg);
  }
  ++text_.column;
}

int DisplayServices::WriteText(GdiCall& call, va_list args) {
  size_t length = 0;
  const char* text = DecodeText(call, args, kMaxText, &length);
  if (text == nullptr) return 0;
  call.x = text_.left;
  call.y = text_.top;
  for (size_t i = 0; i < length; ++i) PutChar(static_cast<uint8_t>(text[i]));
  return 1;
}

int DisplayServices::WriteChar(GdiCall& call, va_list args) {
  PutChar(DecodeChar(call, args));
  return 1;
}

int DisplayServices::Refuse(GdiCall& call, va_list args) {
  for (int i = 0; i < call.count && i < 8; ++i) call.args.push_back(va_arg(args, uint32_t));
  call.error = "no service at word " + std::to_string(call.word);
  return 0;
}

}  // namespace host
