// The service header every screen of the library draws through: the
// system-information record that INIT_VITALS received (its dispatch entry
// and display block), and the palette bytes copied from the block then.
// Until INIT_VITALS no screen draws.
#pragma once

#include "bridge/display.h"
#include "vitals/vitals_records.h"

struct VitalsService {
  const _VITALS* record;
  uint8_t palette[kDisplayPaletteLast + 1];  // bytes 20 to 37 used
};
extern VitalsService g_service;

// Stores the record and copies the palette (a null record stores nothing).
void ServiceInit(const _VITALS* record);
// Binds the display wrappers to the stored record; false before INIT_VITALS.
bool ServiceBind();
// Palette colour of byte 20 to 37, from the copy.
uint32_t Colour(int byte);

// Screen text in font 2 (8 x 16 cells) at (x, y), cut at `columns`.
void ScreenText(int x, int y, int columns, uint32_t fg, uint32_t bg, const char* text);
void ScreenFill(int x, int y, int width, int height);
