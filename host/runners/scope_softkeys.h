// The soft-key bar the host shows under the signal scope: ten keys whose
// labels are texts 1 to 16 of the diagnostics library's string table.
//
// Bars (text numbers, left to right):
//   main        1 Memory ON, 2 Save settings, 3 Clear, 4 Time shift,
//               5 Select channel, 6 Mark channel, 7 Show channel,
//               8 Scale AUTO, 9 Scale MANUAL, 10 Export data
//   time shift  11 Shift back, 12 Shift forward, 13 Time base -, 14 Time base +
//   scale       15 Scale -, 16 Scale +
// The host shows the bar of the latest key's group.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>

#include "host/screen/screen.h"

namespace host {

enum class ScopeBar { kMain, kTimeShift, kScale };

// The bar that follows a key of DATA_GLINT.
ScopeBar ScopeBarAfterKey(uint8_t key, ScopeBar current);

// Draws the bar along the bottom of a 640-pixel-wide screen area from
// (0, y); `text` gives a label in the control's character set ("" when
// the table has none).
void DrawScopeSoftKeys(Screen& screen, int y, ScopeBar bar,
                       const std::function<std::string(uint32_t)>& text);

}  // namespace host
