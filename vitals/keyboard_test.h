// The keyboard test: the panel's key map with every key untouched, held
// (while pressed) or tested (pressed at least once since the screen
// opened), the keys held now, the potentiometers and the key redirection.
#pragma once

#include <stdint.h>

#include "vitals/io_records.h"
#include "vitals/keyboard_maps.h"

// The three flags of a key; writable, cleared by every PREFIX_TESTTLAC.
struct KeyFlags {
  bool held;          // held in the current call
  bool drawn_held;    // last drawn in the held colour
  bool tested;        // released at least once
};

struct KeyboardTest {
  const KeyMap* map;  // null: unknown type (no map, no keys)
  bool map_drawn;     // layout "C" with a known type
  int text_x;
  KeyFlags flags[kMaxKeys];
};

void KeyboardPrefix(KeyboardTest* t, const _LPTESTTLAC* record);
void KeyboardCont(KeyboardTest* t, const _LPTESTTLAC* record);
