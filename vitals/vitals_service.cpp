#include "vitals/vitals_service.h"

#include "bridge/gdi.h"

VitalsService g_service;

void ServiceInit(const _VITALS* record) {
  if (record == nullptr) return;
  g_service.record = record;
  const uint8_t* block = RecordGet<const uint8_t*>(record, offsetof(_VITALS, display));
  for (int byte = kDisplayPaletteFirst; byte <= kDisplayPaletteLast; ++byte)
    g_service.palette[byte] = block != nullptr ? block[byte] : 0;
}

bool ServiceBind() {
  if (g_service.record == nullptr) return false;
  DisplayBind(g_service.record);
  return DisplayBound();
}

uint32_t Colour(int byte) {
  return byte >= kDisplayPaletteFirst && byte <= kDisplayPaletteLast ? g_service.palette[byte] : 0;
}

void ScreenText(int x, int y, int columns, uint32_t fg, uint32_t bg, const char* text) {
  if (text == nullptr) return;  // a missing text draws nothing
  DisplayTextScreen(PackPoint(x, y), DisplayExtent(columns, 1), fg, bg, 2);
  DisplayWriteText(text);
}

void ScreenFill(int x, int y, int width, int height) {
  DisplayFill(PackPoint(x, y), PackPoint(width, height));
}
