// The zero-offset forms: INPOSUN (adds to a shift), INPOSUN_ZAPIS (writes
// the entered shift), INPOSUN_ZAPIS_FIX (the fixed additive shift, or a
// reset of its whole table file) on the form engine, and the hard-wired
// POSUN_ZAPIS_NATVRDO, which writes the current axis values without input.
#pragma once

#include <stdint.h>

#include "tracer/form_engine.h"

constexpr uint32_t kFixedShiftTitle = 1242;
constexpr uint32_t kConfigShiftTable = 1356;   // bits 8-11: default table digit (3 or more)
constexpr uint32_t kConfigMirrorAxes = 348;    // bits 0-2, 16-18: axes that also receive X, Y
constexpr uint32_t kConfigHardwired = 2916;    // bits 24-27 table digit, bit 4k axis k, bit 31 wait
constexpr uint32_t kConfigAxisTwo = 3000;      // bits 8-11 = 2: the hard-wired write takes axis 2

// The default shift table's second digit ('3'..'9'; '4' when unset).
char DefaultShiftDigit(const uint8_t* config_block);

// Start of an offset form: axisIndex and the letter from modeText and
// defaultAxes; the entry "5" and the default digit unless `fixed`.
char StartOffsetAxis(STRUCT_TRACER* record, char* entry, bool fixed);

// The fixed form's row 0: " P ", four blanks and the " NULL " button,
// highlighted while the cursor is on it.
void DrawNullRow(FormState* f, bool highlighted);

// Writes the 90 bytes of a fresh TABFIX.POS into fixTableDir without ever
// destroying the old file before the new one is complete; on success sets
// axisIndex 255 and calls writeFixHandle. False (nothing called) when any
// file step failed; no file stays open either way.
bool ResetFixedTable(STRUCT_TRACER* record);
extern const char kFixedTableReset[90];

// POSUN_ZAPIS_NATVRDO.
struct HardwiredForm {
  STRUCT_TRACER* record;
  uint8_t palette[18];
  int decimals;
  bool preset;          // the table number came from presetTable
  char table_digit;     // the settings' digit (without a preset table)
  uint16_t start_tick;
  char x_text[11], y_text[11];
  bool x_fits, y_fits;  // the values fit a ten-character field
  bool open;
};
int HardwiredPrefix(HardwiredForm* form, STRUCT_TRACER* record);
int HardwiredData(HardwiredForm* form, STRUCT_TRACER* record);
