#include "bridge/display.h"

DisplayLink g_display;

namespace {

uint32_t WordHandle(int word) {
  if (g_display.dispatch == nullptr || g_display.block == nullptr) return 0;
  return RecordGet<uint32_t>(g_display.block, 4u * static_cast<uint32_t>(word));
}

}  // namespace

void DisplayBind(const void* record) {
  if (record == nullptr) {
    g_display = {};
    return;
  }
  g_display.dispatch = RecordGet<HostDispatch>(record, 2);
  g_display.block = RecordGet<const uint8_t*>(record, 6);
}

bool DisplayBound() { return g_display.dispatch != nullptr && g_display.block != nullptr; }

uint8_t DisplayPalette(int byte) {
  if (g_display.block == nullptr || byte < kDisplayPaletteFirst || byte > kDisplayPaletteLast) return 0;
  return g_display.block[byte];
}

void DisplaySetColors(uint32_t foreground, uint32_t background) {
  if (uint32_t h = WordHandle(kDisplaySetColors)) g_display.dispatch(h, 2, foreground, background);
}

void DisplayFill(uint32_t top_left, uint32_t size) {
  if (uint32_t h = WordHandle(kDisplayFill)) g_display.dispatch(h, 2, top_left, size);
}

void DisplayLine(uint32_t from, uint32_t to, uint16_t pattern) {
  if (uint32_t h = WordHandle(kDisplayLine))
    g_display.dispatch(h, 3, from, to, static_cast<uint32_t>(pattern));
}

void DisplayArc(uint32_t centre, uint32_t start, uint32_t end) {
  if (uint32_t h = WordHandle(kDisplayArc)) g_display.dispatch(h, 4, centre, start, end, 65535u);
}

void DisplayTextScreen(uint32_t at, uint32_t extent, uint32_t foreground, uint32_t background,
                       uint32_t font) {
  if (uint32_t h = WordHandle(kDisplayTextStyle))
    g_display.dispatch(h, 5, at, extent, foreground, background, font);
}

void DisplayTextForm(uint32_t at, uint32_t font, uint32_t foreground, uint32_t background) {
  if (uint32_t h = WordHandle(kDisplayTextStyle))
    g_display.dispatch(h, 5, at, font, foreground, background, 2u);
}

void DisplayWriteText(const char* text) {
  if (text == nullptr) return;
  if (uint32_t h = WordHandle(kDisplayWriteText)) g_display.dispatch(h, 1, text);
}

void DisplayWriteChar(char c) {
  if (uint32_t h = WordHandle(kDisplayWriteChar))
    g_display.dispatch(h, 1, static_cast<uint32_t>(static_cast<uint8_t>(c)));
}
