// The CAN peripheral screen painted through the graphics table: text boxes
// in font 2 (8 x 16 cells) on the 800 x 600 screen. Captions fill their
// panels; values are written over them without blanking the rest of their
// box, so a value never wipes a neighbour; each value is written at a fixed
// width so a shorter one covers a longer one before it.
#include "anvil/can_periph_screen.h"

#include "bridge/gdi.h"
#include "bridge/localization.h"
#include "bridge/text_buffer.h"

namespace anvil {
namespace {

constexpr uint32_t kFont = 2;
// Colours: captions 2 on 9 (values 0 on 9), header tabs 0 on 4, the
// title 0 on 5.
constexpr uint8_t kCaptionInk = CLR_T13, kPanel = CLR_FILL, kTab = CLR_P3, kTitle = CLR_P2;
constexpr uint32_t kPanelColumns = 36, kValueColumns = 36, kPlcColumns = 29;
// The SDO dialog: its window, its fields' column and rows.
constexpr int32_t kSdoLeft = 336, kSdoTop = 264, kSdoRight = 520, kSdoBottom = 388;
constexpr int32_t kSdoFieldX = 350, kSdoRowY = 290, kSdoRowStep = 18, kSdoLabelX = 448;

const char* Text(uint32_t id) {
  const char* t = LocText(id);
  return t != nullptr ? t : "";
}

// A header tab or a single caption: the text only.
void Label(int32_t x, int32_t y, uint32_t columns, uint8_t fg, uint8_t bg, uint32_t id) {
  GdiText(x, y, columns, 1, fg, bg, kFont);
  GdiWriteText(Text(id));
}

// A caption panel: every row of the text ("\n" between rows) padded with
// blanks to the panel's width, rows without text blank, so the panel is
// one block in its background colour.
void Panel(int32_t x, int32_t y, uint32_t rows, uint32_t id) {
  char padded[(kPanelColumns + 1) * 6];
  TextBuffer b = MakeTextBuffer(padded, sizeof padded);
  const char* t = Text(id);
  for (uint32_t row = 0; row < rows; ++row) {
    uint32_t used = 0;
    for (; *t != '\0' && *t != '\n'; ++t) {
      if (used == kPanelColumns) continue;
      TextAppendChar(&b, *t);
      ++used;
    }
    if (*t == '\n') ++t;
    TextAppendRepeat(&b, ' ', kPanelColumns - used);
    if (row + 1 < rows) TextAppendChar(&b, '\n');
  }
  GdiText(x, y, kPanelColumns, rows, kCaptionInk, kPanel, kFont);
  GdiWriteText(padded);
}

void Value(int32_t x, int32_t y, uint32_t rows, const char* text) {
  GdiText(x, y, kValueColumns, rows, CLR_BLACK, kPanel, kFont);
  GdiWriteText(text);
}

// The formatting of one node's values; `blank` gives blanks of the same
// widths (no table to read).
struct Values {
  TextBuffer* b;
  bool blank;

  void Hex(uint32_t value, uint32_t digits) const {
    static const char kHex[] = "0123456789ABCDEF";
    uint32_t shown = digits;
    while (shown < 8 && (value >> (4 * shown)) != 0) ++shown;
    for (uint32_t i = shown; i > 0; --i) TextAppendChar(b, blank ? ' ' : kHex[(value >> (4 * (i - 1))) & 0xF]);
  }
  // A byte in decimal, blanks after it up to three places.
  void Decimal(uint8_t value) const {
    uint32_t start = b->length;
    if (!blank) TextAppendUnsigned(b, value);
    TextAppendRepeat(b, ' ', 3 - (b->length - start));
  }
  // Four characters, the first in the low byte; NULs are left out and the
  // rest pushed right, blanks in front.
  void Chars(uint32_t value) const {
    char c[4];
    uint32_t n = 0;
    for (uint32_t i = 0; i < 4; ++i) {
      char ch = static_cast<char>((value >> (8 * i)) & 0xFF);
      if (ch != '\0' && !blank) c[n++] = ch;
    }
    TextAppendRepeat(b, ' ', 4 - n);
    for (uint32_t i = 0; i < n; ++i) TextAppendChar(b, c[i]);
  }
  // A column of byte values, one per row.
  void Column(const uint8_t* bytes, uint32_t rows) const {
    for (uint32_t i = 0; i < rows; ++i) {
      if (i > 0) TextAppendChar(b, '\n');
      Hex(bytes[i], 2);
    }
  }
};

void WriteColumn(int32_t x, int32_t y, bool blank, const uint8_t* bytes, uint32_t rows) {
  char s[32];
  TextBuffer b = MakeTextBuffer(s, sizeof s);
  Values{&b, blank}.Column(bytes, rows);
  Value(x, y, rows, s);
}

// The SDO packet as the host's record holds it: read/write code, index
// low and high, subindex and the data's four bytes, lowest first.
void WritePacket(int32_t x, int32_t y, bool blank, const uint8_t* packet) {
  char s[32];
  TextBuffer b = MakeTextBuffer(s, sizeof s);
  for (uint32_t i = 0; i < 8; ++i) {
    if (i > 0) TextAppendChar(&b, ' ');
    Values{&b, blank}.Hex(packet[i], 2);
  }
  Value(x, y, 1, s);
}

void DrawIdentity(int32_t x0, uint8_t type, uint32_t index, const Io8Node& n, bool blank) {
  char s[16];
  TextBuffer b = MakeTextBuffer(s, sizeof s);
  Values v{&b, blank};
  Value(x0 + 88, 136, 1, "CAN2");
  TextAppendUnsigned(&b, type);
  Value(x0 + 200, 136, 1, s);
  b = MakeTextBuffer(s, sizeof s);
  TextAppendUnsigned(&b, index + 1);
  TextAppendChar(&b, ' ');
  Value(x0 + 288, 136, 1, s);
  b = MakeTextBuffer(s, sizeof s);
  v.Decimal(n.present);
  Value(x0 + 88, 152, 1, s);
  b = MakeTextBuffer(s, sizeof s);
  v.Decimal(n.mode);
  Value(x0 + 200, 152, 1, s);
  b = MakeTextBuffer(s, sizeof s);
  Values{&b, false}.Hex(Io8NodeId(type, index), 2);
  Value(x0 + 288, 152, 1, s);
  b = MakeTextBuffer(s, sizeof s);
  v.Hex(n.vendor, 4);
  TextAppendRepeat(&b, ' ', b.length < 6 ? 6 - b.length : 0);  // covers a longer identity shown before
  Value(x0 + 112, 176, 1, s);
  const struct { int32_t x, y; uint32_t chars; } fields[] = {
      {x0 + 272, 176, n.name}, {x0 + 112, 192, n.hardware}, {x0 + 272, 192, n.software}};
  for (const auto& f : fields) {
    b = MakeTextBuffer(s, sizeof s);
    v.Chars(f.chars);
    Value(f.x, f.y, 1, s);
  }
}

void DrawData(int32_t x0, uint8_t type, const Io8Node& n, bool blank) {
  const uint8_t counters[4] = {static_cast<uint8_t>(n.counter1), static_cast<uint8_t>(n.counter1 >> 8),
                               static_cast<uint8_t>(n.counter2), static_cast<uint8_t>(n.counter2 >> 8)};
  const uint8_t terminal_inputs[4] = {n.text_lines[0], n.text_lines[1], counters[0], counters[2]};
  WriteColumn(x0 + 56, 232, blank, type == kIo8Terminal ? terminal_inputs : n.inputs, 4);
  WriteColumn(x0 + 128, 232, blank, n.outputs, 3);
  WriteColumn(x0 + 208, 232, blank, type == kIo8Keyboards ? n.keys : n.analog, 4);
  WriteColumn(x0 + 288, 232, blank, type == kIo8Keyboards ? counters : n.analog + 4, 4);
}

void DrawStatus(int32_t x0, const Io8Node& n, bool blank) {
  char s[32];
  TextBuffer b = MakeTextBuffer(s, sizeof s);
  Values v{&b, blank};
  const auto row = [&](uint32_t value, uint32_t digits, bool last) {
    v.Hex(value, digits);
    if (!last) TextAppendChar(&b, '\n');
  };
  row(n.status, 2, false);
  row(n.rpdo_count, 4, false);
  row(n.error_active, 2, false);
  row(n.error_code, 2, false);
  TextAppend(&b, blank ? " " : (n.status & 0x02) != 0 ? "1" : "0");
  Value(x0 + 104, 320, 5, s);
  b = MakeTextBuffer(s, sizeof s);
  row(n.control, 2, false);
  row(n.tpdo_count, 4, false);
  row(n.short_circuit[0], 2, false);
  row(n.short_circuit[1], 2, false);
  row(n.short_circuit[2], 2, true);
  Value(x0 + 248, 320, 5, s);
}

// "P" n "IN,  P" n+1 ... : the ports of a module, cut by the box.
void WritePorts(int32_t x, int32_t y, bool shown, uint32_t first, uint32_t count, const char* kind,
                const char* separator) {
  char s[64];
  TextBuffer b = MakeTextBuffer(s, sizeof s);
  for (uint32_t i = 0; shown && i < count; ++i) {
    if (i > 0) TextAppend(&b, separator);
    TextAppendChar(&b, 'P');
    TextAppendUnsigned(&b, first + i);
    TextAppend(&b, kind);
  }
  GdiText(x, y, kPlcColumns, 1, CLR_BLACK, kPanel, kFont);
  GdiWriteText(s);
  GdiTextBlank();
}

void DrawWholeScreenValues(int32_t x0, uint8_t type, const Io8Node& n, bool blank) {
  const bool ports = type == kIo8Modules && !blank;
  WritePorts(x0 + 400, 136, ports, n.plc_input, 4, "IN", ",  ");
  WritePorts(x0 + 400, 152, ports, n.plc_output, 3, "OUT", ", ");
  const uint8_t request[8] = {n.request_rw, static_cast<uint8_t>(n.request_index),
                              static_cast<uint8_t>(n.request_index >> 8), n.request_subindex,
                              static_cast<uint8_t>(n.request_data), static_cast<uint8_t>(n.request_data >> 8),
                              static_cast<uint8_t>(n.request_data >> 16), static_cast<uint8_t>(n.request_data >> 24)};
  const uint8_t response[8] = {n.response_rw, static_cast<uint8_t>(n.response_index),
                               static_cast<uint8_t>(n.response_index >> 8), n.response_subindex,
                               static_cast<uint8_t>(n.response_data), static_cast<uint8_t>(n.response_data >> 8),
                               static_cast<uint8_t>(n.response_data >> 16),
                               static_cast<uint8_t>(n.response_data >> 24)};
  WritePacket(x0 + 400, 192, blank, request);
  WritePacket(x0 + 400, 232, blank, response);
}

void DrawSdoDialog(const SdoDialog& sdo) {
  GdiSetColors(kTab, kTab);
  GdiFillRectClipped(kSdoLeft, kSdoTop, kSdoRight, kSdoBottom);
  GdiSetColors(CLR_BLACK, kTab);
  GdiRect(kSdoLeft, kSdoTop, kSdoRight, kSdoBottom, kPatternSolid);
  GdiText(kSdoLeft + 4, kSdoTop + 4, (kSdoRight - kSdoLeft - 7) / 8, 1, CLR_BLACK, kTitle, kFont);
  GdiWriteText(Text(kIo8TextSdoTitle));
  GdiTextBlank();
  const uint32_t labels[kSdoFields] = {kIo8TextReadWrite, kIo8TextIndex, kIo8TextSubindex, kIo8TextDataField};
  for (uint32_t i = 0; i < kSdoFields; ++i)
    Label(kSdoLabelX, kSdoRowY + static_cast<int32_t>(i) * kSdoRowStep, 15, CLR_BLACK, kTab, labels[i]);
  GdiText(kSdoFieldX, 366, kPanelColumns, 1, kCaptionInk, kTab, kFont);
  GdiWriteText(Text(kIo8TextDecimal));
  Io8DrawSdoFields(sdo);
}

}  // namespace

Io8Layout Io8LayoutOf(uint8_t letter) { return Io8Layout{letter == 'C', letter == 'P' ? 320 : 0}; }

void Io8DrawFrame(const Io8Layout& layout, const SdoDialog& sdo) {
  const int32_t x = layout.x0 + 16;
  GdiSetClip(0, 0, 800, 600);
  GdiText(layout.x0 + 8, 96, 38, 1, CLR_BLACK, kTitle, kFont);
  GdiWriteText(Text(kIo8TextTitle));
  GdiTextBlank();
  Label(x, 120, 12, CLR_BLACK, kTab, kIo8TextPeriphery);
  Panel(x, 136, 2, kIo8TextIdentity);
  Panel(x, 176, 2, kIo8TextDevice);
  Label(x, 216, 7, CLR_BLACK, kTab, kIo8TextData);
  Label(x, 304, 9, CLR_BLACK, kTab, kIo8TextStatusHead);
  Panel(x, 320, 5, kIo8TextStatus);
  if (!layout.whole) return;
  Label(336, 120, 12, CLR_BLACK, kTab, kIo8TextPlcHead);
  Panel(336, 136, 2, kIo8TextPlc);
  Label(336, 176, 12, CLR_BLACK, kTab, kIo8TextSendHead);
  Panel(336, 192, 1, kIo8TextPacket);
  Label(336, 216, 15, CLR_BLACK, kTab, kIo8TextResponseHead);
  Panel(336, 232, 1, kIo8TextPacket);
  DrawSdoDialog(sdo);
}

void Io8DrawSdoFields(const SdoDialog& sdo) {
  for (uint32_t i = 0; i < kSdoFields; ++i) {
    const bool focused = i == sdo.focus;
    GdiText(kSdoFieldX, kSdoRowY + static_cast<int32_t>(i) * kSdoRowStep, kSdoLengths[i], 1,
            focused ? CLR_WHITE : CLR_BLACK, focused ? CLR_BLACK : CLR_WHITE, kFont);
    GdiWriteText(sdo.text[i]);
    GdiTextBlank();
  }
}

void Io8DrawDataCaptions(const Io8Layout& layout, uint8_t type) {
  const uint32_t id = type == kIo8Keyboards ? kIo8TextKeyboards : type == kIo8Terminal ? kIo8TextTerminal
                                                                                       : kIo8TextModules;
  Panel(layout.x0 + 16, 232, 4, id);
}

void Io8DrawValues(const Io8Layout& layout, uint8_t type, uint32_t index, const uint8_t* node) {
  Io8Node shown{};
  const bool blank = node == nullptr;
  if (!blank) __builtin_memcpy(&shown, node, sizeof shown);
  GdiSetClip(0, 0, 800, 600);
  DrawIdentity(layout.x0, type, index, shown, blank);
  DrawData(layout.x0, type, shown, blank);
  DrawStatus(layout.x0, shown, blank);
  if (layout.whole) DrawWholeScreenValues(layout.x0, type, shown, blank);
}

}  // namespace anvil
