// The CAN monitor's window: title, column heads, the two panes and the
// status line, laid out from the window's rectangle.
#include <initializer_list>

#include "anvil/anvil_init.h"
#include "anvil/can_monitor.h"
#include "bridge/gdi.h"
#include "bridge/hex_digits.h"
#include "bridge/localization.h"
#include "bridge/text_buffer.h"

namespace anvil {
namespace {

constexpr int32_t kCell = 8, kRow = 16;
constexpr int32_t kFirstRow = 51;   // the receive pane's first row below the top
constexpr int32_t kBottomRoom = 22; // the status line's room above the bottom
constexpr int32_t kTextX = 19;      // packet lines start this far right of the left edge

struct Frame {
  int32_t left, top, right, bottom;
  bool drawable;
  uint32_t columns;  // characters of a packet line
};

Frame FrameOf(const CanMonitor& m) {
  Frame f{m.left, m.top, m.right, m.bottom, m.right > m.left && m.bottom > m.top, 0};
  int32_t columns = (f.right - 11 - (f.left + kTextX)) / kCell;
  f.columns = columns > 0 ? static_cast<uint32_t>(columns) : 0;
  return f;
}

const char* Text(uint32_t id) {
  const char* t = LocText(id);
  return t != nullptr ? t : "";
}

void Write(const Frame& f, int32_t x, int32_t y, uint32_t columns, uint8_t fg, uint8_t bg, const char* text) {
  if (!f.drawable || y + kRow - 1 > f.bottom) return;
  GdiText(x, y, columns, 1, fg, bg, 2);
  GdiWriteText(text);
  GdiTextBlank();
}

void PacketLine(const CanPacket& p, TextBuffer* b) {
  CanAppendIdAndData(p, b);
  for (uint32_t value : {p.period, p.count, p.period_max}) {
    TextAppendChar(b, ' ');
    TextAppendUnsignedRight(b, value, 10);
  }
}

// The window cleared to white with the title line on top.
void ClearWithTitle(const Frame& f) {
  GdiSetClip(f.left, f.top, f.right, f.bottom);
  GdiSetColors(CLR_WHITE, CLR_WHITE);
  GdiFillRectClipped(f.left, f.top, f.right, f.bottom);
  char title[160];
  TextBuffer b = MakeTextBuffer(title, sizeof title);
  TextAppend(&b, "CanView  ");
  TextAppend(&b, Text(kCanTextTitleHint));
  Write(f, f.left + 3, f.top + 2, 1000, CLR_BLACK, CLR_WHITE, title);
}

}  // namespace

void CanLayout(CanMonitor& m) {
  int32_t top = m.top, bottom = m.bottom;
  int32_t room = (bottom - kBottomRoom - (top + kFirstRow)) / kRow;  // rows that fit under the heads
  if (room < 0 || m.bottom <= m.top) room = 0;
  int32_t most = room > 0 ? room - 1 : 0;                    // both panes, with the row between them
  int32_t rx = static_cast<int32_t>(m.receive_rows) < most ? static_cast<int32_t>(m.receive_rows) : most;
  int32_t tx_y = top + (rx + 4) * kRow + 3;
  int32_t tx = (bottom - kBottomRoom - tx_y) / kRow;
  if (tx < 0) tx = 0;
  if (rx + tx > most) tx = most - rx;
  if (rx == 0 && room > 0) {
    tx_y -= kRow;
    tx = tx + 1 < room ? tx + 1 : room;
    m.active = kCanTransmit;
  } else if (tx == 0 && rx > 0) {
    rx = rx + 1 < room ? rx + 1 : room;
    m.active = kCanReceive;
  }
  m.lists[kCanReceive].rows = rx;
  m.lists[kCanReceive].y = top + kFirstRow;
  m.lists[kCanTransmit].rows = tx;
  m.lists[kCanTransmit].y = tx_y;
  for (CanList& l : m.lists) CanListPlaceCursor(&l);
  if (m.lists[m.active].rows == 0 && m.lists[1 - m.active].rows > 0) m.active = static_cast<uint8_t>(1 - m.active);
}

void CanDrawTitle(const _CANVIEW* r, uint32_t message_id) {
  Frame f{RecordGet<uint16_t>(r, offsetof(_CANVIEW, left)), RecordGet<uint16_t>(r, offsetof(_CANVIEW, top)),
          RecordGet<uint16_t>(r, offsetof(_CANVIEW, right)), RecordGet<uint16_t>(r, offsetof(_CANVIEW, bottom)),
          false, 0};
  f.drawable = f.right > f.left && f.bottom > f.top;
  if (!f.drawable) return;
  ClearWithTitle(f);
  if (message_id != 0) Write(f, f.left + 3, f.top + kFirstRow, 1000, CLR_RED, CLR_WHITE, Text(message_id));
}

void CanDrawPane(CanMonitor& m, uint8_t pane) {
  Frame f = FrameOf(m);
  if (!f.drawable) return;
  GdiSetClip(f.left, f.top, f.right, f.bottom);
  CanList& l = m.lists[pane];
  const char* letters = Text(pane == kCanReceive ? kCanTextReceive : kCanTextTransmit);
  CanNode* n = l.top;
  for (int32_t row = 0; row < l.rows; ++row) {
    int32_t y = l.y + row * kRow;
    char letter[2] = {' ', '\0'};
    if (*letters != '\0') letter[0] = *letters++;
    Write(f, f.left + 5, y, 1, CLR_BLACK, CLR_WHITE, letter);
    char line[96];
    TextBuffer b = MakeTextBuffer(line, sizeof line);
    uint8_t fg = CLR_BLACK, bg = CLR_WHITE;
    if (n != nullptr) {
      PacketLine(n->packet, &b);
      if (n->packet.entered != 0) fg = CLR_FILL;
      if (n == l.cursor && pane == m.active) bg = m.swap ? CLR_GREEN : CLR_P2;
      n = n->next;
    }
    if (b.length > f.columns) line[f.columns] = '\0';
    Write(f, f.left + kTextX, y, f.columns, fg, bg, line);
  }
}

void CanDrawStatus(CanMonitor& m) {
  Frame f = FrameOf(m);
  if (!f.drawable) return;
  GdiSetClip(f.left, f.top, f.right, f.bottom);
  char status[96];
  TextBuffer b = MakeTextBuffer(status, sizeof status);
  if (m.time_out) {
    TextAppend(&b, Text(kCanTextNoTime));
  } else {
    TextAppend(&b, Text(kCanTextChannel));
    TextAppend(&b, ": ");
    TextAppendUnsigned(&b, m.channel);
    if (m.recording.on) {
      TextAppend(&b, "  ");
      TextAppend(&b, Text(kCanTextFile));
      TextAppend(&b, ": ");
      TextAppend(&b, m.recording.name);
    }
  }
  int32_t y = f.bottom - 19;
  if (y >= f.top) Write(f, f.left + 3, y, 1000, CLR_BLACK, CLR_WHITE, status);
}

void CanDrawAll(CanMonitor& m) {
  Frame f = FrameOf(m);
  if (!f.drawable) return;
  ClearWithTitle(f);
  Write(f, f.left + kTextX, f.top + 18, f.columns, CLR_BLACK, CLR_WHITE, Text(kCanTextHeader));
  Write(f, f.left + kTextX, f.top + 34, f.columns, CLR_BLACK, CLR_WHITE, Text(kCanTextHeaderService));
  CanDrawPane(m, kCanReceive);
  CanDrawPane(m, kCanTransmit);
  CanDrawStatus(m);
}

void CanDrawError(CanMonitor& m) {
  Frame f = FrameOf(m);
  if (!f.drawable) return;
  GdiSetClip(f.left, f.top, f.right, f.bottom);
  const char* head = Text(kCanTextError);
  const char* text = Text(m.error);
  int32_t columns = 0;
  for (const char* t : {head, text}) {
    int32_t n = 0;
    while (t[n] != '\0') ++n;
    if (n > columns) columns = n;
  }
  int32_t width = (columns + 4) * kCell, height = 4 * kRow;
  int32_t x = (f.left + f.right - width) / 2, y = (f.top + f.bottom - height) / 2;
  GdiSetColors(CLR_FILL, CLR_FILL);
  GdiFillRectClipped(x, y, x + width, y + height);
  GdiSetColors(CLR_BLACK, CLR_FILL);
  GdiRect(x, y, x + width, y + height, kPatternSolid);
  Write(f, x + 2 * kCell, y + kRow / 2, static_cast<uint32_t>(columns), CLR_RED, CLR_FILL, head);
  Write(f, x + 2 * kCell, y + kRow / 2 + kRow + 8, static_cast<uint32_t>(columns), CLR_BLACK, CLR_FILL, text);
  m.error_drawn = true;
}

}  // namespace anvil
