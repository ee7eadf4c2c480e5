#include "vitals/keyboard_maps.h"

namespace {

constexpr int kMapTop = 312;

// A panel: `count` keys on a grid of `columns`, with a gap (no key) at
// every `gap`-th number of the last row (0: no gaps).
constexpr KeyMap Grid(char type, uint32_t text, int count, int columns, int left, int pitch_x, int pitch_y,
                      int gap) {
  KeyMap map{};
  map.type = type;
  map.text = text;
  map.count = count;
  int rows = (count + columns - 1) / columns;
  for (int i = 0; i < count; ++i) {
    int row = i / columns, column = i % columns;
    bool empty = gap != 0 && row == rows - 1 && column % gap == gap - 1;
    map.keys[i].label = empty ? kNoKey : static_cast<uint8_t>(kKeyLabels[i % kKeyLabelCount]);
    uint32_t x = static_cast<uint32_t>(left + pitch_x * column), y = static_cast<uint32_t>(kMapTop + pitch_y * row);
    map.keys[i].position = x | y << 16;
  }
  for (int i = count; i < kMaxKeys; ++i) map.keys[i].label = kNoKey;
  return map;
}

constexpr KeyMap kMaps[] = {
    Grid('D', 455, 112, 14, 40, 40, 32, 5),   // four buttons a line in blocks
    Grid('F', 456, 112, 16, 24, 36, 34, 0),
    Grid('G', 459, 112, 14, 40, 40, 32, 4),
    Grid('H', 460, 112, 16, 24, 36, 34, 0),
    Grid('M', 458, 64, 8, 120, 48, 32, 0),
    Grid('R', 457, 80, 10, 80, 44, 32, 0),
};

}  // namespace

const KeyMap* KeyMapOf(char type) {
  for (const KeyMap& map : kMaps)
    if (map.type == type) return &map;
  return nullptr;
}
