// NcViewInit, NcViewStart, NcViewCont: the program text and its block index
// in one pool buffer, four viewer states painting one line per call.
#include "anvil/nc_view.h"

#include "anvil/anvil_init.h"
#include "anvil/nc_index.h"
#include "anvil/nc_lines.h"
#include "bridge/gdi.h"
#include "bridge/localization.h"
#include "bridge/recordcnc.h"
#include "bridge/text_buffer.h"

namespace anvil {
namespace {

enum : uint8_t { kIdle = 0, kPainting = 21, kPageComplete = 22 };
enum : uint8_t { kKeyUp = 1, kKeyRight = 2, kKeyDown = 3, kKeyLeft = 4, kKeyHome = 6,
                 kKeyPageUp = 7, kKeyEnd = 8, kKeyPageDown = 9 };
constexpr uint32_t kMaxOffset = 200;
constexpr uint32_t kTab = 5;
constexpr int32_t kCell = 8, kRow = 16;

struct Program {
  uint32_t buffer = 0;       // pool block; 0 = none
  uint32_t init_count = 0;   // AnvilInit count the block belongs to
  const char* text = "";
  uint32_t length = 0;
  NcBlock* entries = nullptr;
  uint32_t count = 0;
  uint32_t header_end = 0;
  int32_t selected = -1;
  const char* title = "";
  uint32_t error = 0;
};

struct Viewer {
  uint8_t state = kIdle;
  uint32_t page_start = 0;
  uint32_t offset = 0;       // horizontal offset in columns
  uint32_t painted = 0;
  uint32_t next_line = 0;
};

Program g_program;
Viewer g_viewers[kNcViewers];

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

// The program buffer belongs to the pool it came from: after AnvilInit laid
// the pool out again it is gone (and must not be freed).
Program& CurrentProgram() {
  if (g_program.buffer != 0 && g_program.init_count != AnvilInitCount()) {
    uint32_t error = g_program.error;
    g_program = Program{};
    g_program.error = error;
  }
  return g_program;
}

struct Window {
  int32_t left, top, right, bottom;
  bool drawable;            // a window at least one pixel wide and high
  int32_t x0;               // first text column's x
  uint32_t columns, lines;  // page size, never negative
};

Window WindowOf(const _NC_VIEW* r) {
  Window w;
  w.left = RecordGet<uint16_t>(r, offsetof(_NC_VIEW, left));
  w.top = RecordGet<uint16_t>(r, offsetof(_NC_VIEW, top));
  w.right = RecordGet<uint16_t>(r, offsetof(_NC_VIEW, right));
  w.bottom = RecordGet<uint16_t>(r, offsetof(_NC_VIEW, bottom));
  w.drawable = w.right > w.left && w.bottom > w.top;
  w.x0 = (w.left + 5 + kCell - 1) / kCell * kCell;
  int32_t columns = (w.right - w.left - 10) / kCell;
  int32_t lines = (w.bottom - w.top - 20) / kRow - 2;
  w.columns = columns > 0 ? static_cast<uint32_t>(columns) : 0;
  w.lines = lines > 0 ? static_cast<uint32_t>(lines) : 0;
  return w;
}

void Fill(const Window& w, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t colour) {
  if (!w.drawable) return;
  GdiSetColors(colour, colour);
  GdiFillRectClipped(x1, y1, x2, y2);
}

void WriteAt(const Window& w, int32_t x, int32_t y, uint32_t columns, uint8_t fg, uint8_t bg,
             const char* text) {
  if (!w.drawable) return;
  GdiText(x, y, columns, 1, fg, bg, 2);
  GdiWriteText(text);
}

void DrawHint(const Window& w, uint32_t text_id) {
  Fill(w, w.left + 5, w.bottom - 21, w.right - 5, w.bottom - 5, CLR_T14);
  WriteAt(w, w.left + 5, w.bottom - 21, 1000, CLR_WHITE, CLR_T14, OrEmpty(LocText(text_id)));
}

// "N" and the block's number, right-aligned in the hint line.
void DrawBlockHint(const Window& w, int32_t number) {
  char buffer[16];
  TextBuffer b = MakeTextBuffer(buffer, sizeof buffer);
  TextAppendChar(&b, 'N');
  TextAppendSigned(&b, number);
  WriteAt(w, w.right - 5 - static_cast<int32_t>(b.length) * kCell, w.bottom - 21, b.length,
          CLR_WHITE, CLR_T14, buffer);
}

void DrawFrame(const Window& w, const Program& p) {
  if (!w.drawable) return;
  GdiSetClip(w.left, w.top, w.right, w.bottom);
  Fill(w, w.left, w.top, w.right, w.bottom, CLR_WHITE);
  Fill(w, w.left + 5, w.top + 5, w.right - 5, w.top + 20, CLR_T14);
  WriteAt(w, w.left + 5, w.top + 5, 1000, CLR_WHITE, CLR_T14, p.title);
  DrawHint(w, p.error != 0 ? kNcTextMemory : kNcTextHint);
}

void Repaint(Viewer& v) {
  v.state = kPainting;
  v.painted = 0;
  v.next_line = v.page_start;
}

// Characters of one row with equal colours go out in one text box; the
// screen shows what one box per character would show.
struct Run {
  Run(const Window* window, int32_t row_y) : w(window), y(row_y) {}
  const Window* w;
  int32_t y;
  int32_t column = -1;   // screen column of the run's first character
  uint8_t fg = 0, bg = 0;
  uint32_t length = 0;
  char text[128];

  void Flush() {
    if (length > 0 && w->drawable) {
      text[length] = '\0';
      GdiText(w->x0 + column * kCell, y, w->columns - static_cast<uint32_t>(column), 1, fg, bg, 2);
      GdiWriteText(text);
    }
    length = 0;
  }
  void Put(int32_t at, char c, uint8_t f, uint8_t b) {
    if (length > 0 && (f != fg || b != bg || at != column + static_cast<int32_t>(length) ||
                       length + 1 >= sizeof text))
      Flush();
    if (length == 0) column = at, fg = f, bg = b;
    text[length++] = c;
  }
};

void BlankFrom(const Window& w, int32_t y, uint32_t column) {
  if (!w.drawable || column >= w.columns) return;
  GdiText(w.x0 + static_cast<int32_t>(column) * kCell, y, w.columns - column, 1, CLR_WHITE, CLR_WHITE, 2);
  GdiTextBlank();
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

void PaintLine(const Program& p, Viewer& v, const Window& w, bool colouring) {
  int32_t y = w.top + kRow * static_cast<int32_t>(v.painted + 1) + 10;
  uint32_t i = v.next_line;
  if (i >= p.length) {
    BlankFrom(w, y, 0);
    return;
  }
  const NcBlock* selected = p.selected >= 0 ? &p.entries[p.selected] : nullptr;
  Run run(&w, y);
  bool quoted = false;
  uint32_t column = 0;  // column in the line, tabs expanded
  for (; i < p.length && !NcIsLineEnd(p.text[i]); ++i) {
    char c = p.text[i];
    uint8_t bg = selected != nullptr && i >= selected->start && i <= selected->end ? CLR_P2 : CLR_WHITE;
    uint8_t fg = CLR_BLACK;
    if (colouring) {
      if (c == '"' || quoted || i < p.header_end) fg = CLR_GREEN;  // 14 wins over 13
      else if (IsLetter(c)) fg = CLR_RED;
    }
    if (c == '"') quoted = !quoted;
    uint32_t width = c == '\t' ? kTab - column % kTab : 1;
    for (uint32_t k = 0; k < width; ++k, ++column) {
      if (column < v.offset || column - v.offset >= w.columns) continue;
      run.Put(static_cast<int32_t>(column - v.offset), c == '\t' ? ' ' : c, fg, bg);
    }
  }
  run.Flush();
  BlankFrom(w, y, column > v.offset ? column - v.offset : 0);
  v.next_line = NcNextLine(p.text, p.length, v.next_line);
}

bool HandleKey(const Program& p, Viewer& v, const Window& w, uint8_t key) {
  uint32_t page = w.lines > 0 ? w.lines - 1 : 0;
  uint32_t start = v.page_start, offset = v.offset;
  switch (key) {
    case kKeyUp: start = NcPreviousLine(p.text, p.length, start); break;
    case kKeyDown: start = NcForward(p.text, p.length, start, 1); break;
    case kKeyRight: offset = offset < kMaxOffset ? offset + 1 : offset; break;
    case kKeyLeft: offset = offset > 0 ? offset - 1 : 0; break;
    case kKeyHome: start = 0; break;
    case kKeyPageUp: start = NcBackward(p.text, p.length, start, page); break;
    case kKeyEnd: start = NcBackward(p.text, p.length, p.length, page); break;
    case kKeyPageDown: start = NcForward(p.text, p.length, start, page); break;
    default: return false;
  }
  if (start == v.page_start && offset == v.offset) return false;
  v.page_start = start;
  v.offset = offset;
  return true;
}

bool FollowBlock(Program& p, Viewer& v, const Window& w, uint32_t bcd) {
  int32_t number = BcdToInt(bcd);
  if (p.selected >= 0 && p.entries[p.selected].number == number) return false;
  p.selected = NcFindBlock(p.entries, p.count, number);
  if (p.selected < 0) return false;
  const NcBlock& b = p.entries[p.selected];
  uint32_t hints = NcBlockHints(p.text, p.length, b);
  if (hints & kNcHintG70) DrawHint(w, kNcTextHint);
  if (hints & kNcHintG71) DrawBlockHint(w, b.number);
  uint32_t line = NcLineStartOf(p.text, b.start);
  bool starts_line = true;
  for (uint32_t i = line; i < b.start; ++i) starts_line &= p.text[i] == ' ' || p.text[i] == '\t';
  v.page_start = starts_line ? NcPreviousLine(p.text, p.length, line) : line;
  return true;
}

// Room for the index beside the text: the text, its NUL, the entries (4-byte
// aligned) and scratch for the sort.
uint32_t IndexOffset(uint32_t length) { return (length + 1 + 3) & ~3u; }

}  // namespace
}  // namespace anvil

using namespace anvil;

// Keeps a copy of the program and its block index. The usual buffer is
// 500000 bytes; a program whose index does not fit beside its text gets one
// buffer of text, index and sort scratch (or of text and index), and only
// when the pool cannot give that either the usual buffer indexes what fits.
LIB_EXPORT uint32_t NcViewInit(const _NC_VIEW* record) {
  if (record == nullptr) return 0;
  Program& p = CurrentProgram();
  if (p.buffer != 0) AnvilFree(p.buffer);
  p = Program{};
  for (Viewer& v : g_viewers) v = Viewer{};
  const char* text = OrEmpty(RecordGet<const char*>(record, offsetof(_NC_VIEW, text)));
  uint32_t length = RecordGet<uint32_t>(record, offsetof(_NC_VIEW, length));
  if (length > kNcTextLimit) length = kNcTextLimit;
  uint32_t cut = 0;
  while (cut < length && text[cut] != '\0') ++cut;  // the text ends at a NUL
  length = cut;

  NcScan counting;
  NcScanBlocks(text, length, &counting);
  uint32_t index_at = IndexOffset(length);
  uint32_t with_index = index_at + counting.found * sizeof(NcBlock);
  uint32_t with_scratch = with_index + (counting.found + 1) / 2 * sizeof(NcBlock);
  uint32_t size = 0;
  const uint32_t sizes[] = {with_scratch, with_index, kNcBufferSize};
  for (uint32_t want : sizes) {
    if (want < kNcBufferSize) want = kNcBufferSize;
    if (p.buffer == 0 && (p.buffer = AnvilAlloc(want)) != 0) size = want;
  }
  if (p.buffer == 0) {
    p.error = kNcErrorMemory;
    return 0;
  }
  p.init_count = AnvilInitCount();
  char* copy = reinterpret_cast<char*>(static_cast<uintptr_t>(p.buffer));
  __builtin_memcpy(copy, text, length);
  copy[length] = '\0';
  p.text = copy;
  p.length = length;
  NcScan scan;
  scan.entries = reinterpret_cast<NcBlock*>(copy + index_at);
  scan.capacity = (size - index_at) / sizeof(NcBlock);
  NcScanBlocks(copy, length, &scan);
  p.entries = scan.entries;
  p.count = scan.count;
  p.header_end = scan.header_end;
  NcSortBlocks(p.entries, p.count, p.entries + p.count, scan.capacity - p.count);
  return 0;
}

LIB_EXPORT uint32_t NcViewStart(const _NC_VIEW* record) {
  if (record == nullptr) return 0;
  uint8_t number = RecordGet<uint8_t>(record, offsetof(_NC_VIEW, viewer));
  if (number >= kNcViewers) return 0;
  Program& p = CurrentProgram();
  Viewer& v = g_viewers[number];
  Window w = WindowOf(record);
  if (p.error == 0) p.title = OrEmpty(RecordGet<const char*>(record, offsetof(_NC_VIEW, title)));
  DrawFrame(w, p);
  v = Viewer{};
  if (p.error == 0) Repaint(v);
  return 0;
}

LIB_EXPORT uint32_t NcViewCont(const _NC_VIEW* record) {
  if (record == nullptr) return 0;
  uint8_t number = RecordGet<uint8_t>(record, offsetof(_NC_VIEW, viewer));
  if (number >= kNcViewers) return 0;
  Program& p = CurrentProgram();
  Viewer& v = g_viewers[number];
  Window w = WindowOf(record);
  if (w.drawable) {
    GdiSetClip(w.left, w.top, w.right, w.bottom);
    WriteAt(w, w.right - 77, w.top + 5, 8, CLR_WHITE, CLR_T14,
            OrEmpty(RecordGet<const char*>(record, offsetof(_NC_VIEW, status))));
    GdiTextBlank();
  }
  if (v.state == kPainting) {
    if (v.painted < w.lines) {
      PaintLine(p, v, w, RecordGet<uint8_t>(record, offsetof(_NC_VIEW, colouring)) != 0);
      ++v.painted;
    }
    if (v.painted < w.lines) return 0;
    v.state = kPageComplete;
    return 1;
  }
  if (v.state != kPageComplete) return 0;
  uint8_t event = RecordGet<uint8_t>(record, offsetof(_NC_VIEW, event));
  bool changed = false;
  if (event == kNcEventKey) changed = HandleKey(p, v, w, RecordGet<uint8_t>(record, offsetof(_NC_VIEW, key)));
  if (event == kNcEventFollow) changed = FollowBlock(p, v, w, RecordGet<uint32_t>(record, offsetof(_NC_VIEW, block)));
  if (changed) Repaint(v);
  return 0;
}
