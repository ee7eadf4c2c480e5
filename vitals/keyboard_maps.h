// The key maps of the six operator-panel types: label and cell position of
// every key, constant data. The flags the keyboard test keeps per key live
// in the test's own writable table, never here.
#pragma once

#include <stdint.h>

struct KeyCell {
  uint8_t label;       // 0xFF: no key at this number
  uint32_t position;   // packed top-left of the 16 x 16 cell
};

constexpr int kMaxKeys = 112;
constexpr uint8_t kNoKey = 0xFF;
// The key labels in key order, repeated after the last; the panels print
// these on their keys (key 0 "1", key 10 "A").
constexpr char kKeyLabels[] = "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ+-*/=.,:;!?#%&()<>^_$@";
constexpr int kKeyLabelCount = sizeof kKeyLabels - 1;

struct KeyMap {
  char type;           // D F G H M R
  uint32_t text;       // the type's text number
  int count;           // keys of the map (64, 80 or 112)
  KeyCell keys[kMaxKeys];
};

// The map of a keyboard type letter, or null for an unknown letter.
const KeyMap* KeyMapOf(char type);
