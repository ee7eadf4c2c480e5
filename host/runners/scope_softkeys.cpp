#include "host/runners/scope_softkeys.h"

namespace host {
namespace {

constexpr int kKeys = 10;
constexpr int kKeyWidth = 64;
constexpr int kCell = 8, kRow = 16;
constexpr uint8_t kKeyFace = 5, kKeyEdge = 0, kLabel = 0;

const uint32_t kBars[3][kKeys] = {
    {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
    {11, 12, 13, 14, 0, 0, 0, 0, 0, 0},
    {15, 16, 0, 0, 0, 0, 0, 0, 0, 0},
};

}  // namespace

ScopeBar ScopeBarAfterKey(uint8_t key, ScopeBar current) {
  switch (key) {
    case 0: return current;
    case 22: case 23: case 24: case 25: return ScopeBar::kTimeShift;
    case 20: case 21: return ScopeBar::kScale;
    default: return ScopeBar::kMain;
  }
}

void DrawScopeSoftKeys(Screen& screen, int y, ScopeBar bar,
                       const std::function<std::string(uint32_t)>& text) {
  const uint32_t* ids = kBars[static_cast<int>(bar)];
  for (int k = 0; k < kKeys; ++k) {
    int x = k * kKeyWidth;
    screen.FillRect(x, y, kKeyWidth, 2 * kRow + 4, kKeyEdge);
    screen.FillRect(x + 1, y + 1, kKeyWidth - 2, 2 * kRow + 2, kKeyFace);
    if (ids[k] == 0) continue;
    std::string label = text(ids[k]);
    // Two lines of at most eight characters: the key's face.
    int line = 0, column = 0;
    for (char c : label) {
      if (c == '\n') {
        if (++line == 2) break;
        column = 0;
        continue;
      }
      if (column < kKeyWidth / kCell)
        screen.DrawChar(x + column * kCell, y + 2 + line * kRow, static_cast<uint8_t>(c), 2, kLabel, 255);
      ++column;
    }
  }
}

}  // namespace host
