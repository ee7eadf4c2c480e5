#include "host/services/draw_calls.h"

#include <string.h>

#include <string>

namespace host {

bool CountAccepted(GdiCall& call, int expected) {
  if (expected < 0 || call.count == expected) return true;
  call.error = "expects " + std::to_string(expected) + " arguments, got " + std::to_string(call.count);
  return false;
}

void DecodeColors(GdiCall& call, va_list args, uint8_t* fg, uint8_t* bg) {
  uint32_t fore = va_arg(args, uint32_t), back = va_arg(args, uint32_t);
  call.args = {fore, back};
  *fg = static_cast<uint8_t>(fore);
  *bg = static_cast<uint8_t>(back);
  call.fg = *fg;
  call.bg = *bg;
}

void DrawFill(Screen& screen, GdiCall& call, va_list args, uint8_t fg) {
  uint32_t at = va_arg(args, uint32_t), size = va_arg(args, uint32_t);
  call.args = {at, size};
  call.x = PackedX(at);
  call.y = PackedY(at);
  call.w = PackedX(size);
  call.h = PackedY(size);
  call.fg = fg;
  screen.FillRect(call.x, call.y, call.w, call.h, fg);
}

void DrawLine(Screen& screen, GdiCall& call, va_list args, uint8_t fg) {
  uint32_t from = va_arg(args, uint32_t), to = va_arg(args, uint32_t);
  uint32_t pattern = va_arg(args, uint32_t);
  call.args = {from, to, pattern};
  call.x = PackedX(from);
  call.y = PackedY(from);
  call.x2 = PackedX(to);
  call.y2 = PackedY(to);
  call.pattern = static_cast<uint16_t>(pattern);
  call.fg = fg;
  screen.Line(call.x, call.y, call.x2, call.y2, static_cast<uint16_t>(pattern), fg);
}

const char* DecodeText(GdiCall& call, va_list args, size_t max_length, size_t* length) {
  const char* text = va_arg(args, const char*);
  call.args = {reinterpret_cast<uint32_t>(text)};
  if (text == nullptr) {
    call.error = "null text";
    return nullptr;
  }
  *length = strnlen(text, max_length);
  call.text.assign(text, *length);
  return text;
}

uint8_t DecodeChar(GdiCall& call, va_list args) {
  uint32_t c = va_arg(args, uint32_t);
  call.args = {c};
  call.value = static_cast<int>(c & 0xFF);
  call.text.assign(1, static_cast<char>(c & 0xFF));
  return static_cast<uint8_t>(c);
}

}  // namespace host
