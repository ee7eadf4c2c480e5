// The simulator's graphics services: the host side of the graphics table
// (GDI_INIT_PARAMS) the drawing libraries receive through GDIInit.
//
//   host::Screen screen(800, 600);
//   host::GraphicsServices gfx(screen);
//   GDIInit(const_cast<GDI_INIT_PARAMS*>(&gfx.table()));
//   ...
//   screen.WritePng("out.png");
//
// Each service is registered with the dispatch registry under its name
// (GdiSetColors, GdiFillRect, ...) and unregistered on destruction. The
// table's dispatch entry is HostDispatchEntry, the colour map sends logical
// colour k to host value k, and slots 0, 3, 5, 6, 7, 14, 15, 16, 18, 23,
// 24, 25, 26, 27 and 29 carry handles; the other slots are 0 (absent).
//
// Services (arguments after handle and count; every one returns 1 when it
// ran, 0 when it refused the call: wrong argument count, null pointer,
// empty size, unknown save buffer):
//   0  GdiSetColors (fg, bg)       current colours; bg 255 = transparent
//   3  GdiFillRect (tl, size)      rectangle in the current foreground
//   5  GdiSetXorMode (mode)        non-zero = exclusive-or drawing; returns
//                                  the mode it was given
//   6  GdiLine (start, end, pat)   Bresenham, both ends, pattern bit 15 first
//   7  GdiTriangle (a, b, c, pat)  filled in the current foreground (the
//                                  pattern is recorded, the fill is solid)
//   14 GdiSaveRect (tl, size, buf) saves the area; see below
//   15 GdiRestoreRect (tl, size, buf)
//   16 GdiTextBox (tl, cols | rows << 8, fg, bg, font)
//                                  opens the text box, cursor at cell (0, 0)
//   18 GdiWriteText (text)         writes from the cursor cell by cell; at
//                                  the end of a row the text goes on at the
//                                  start of the next one, "\n" starts the
//                                  next row, "\r" the current one; what
//                                  falls past the last row is dropped
//   29 GdiWriteChar (c)            one character the same way
//   26 GdiTextBlank (code)         255 fills the rest of the box (from the
//                                  cursor) with the box's background (none
//                                  if transparent); other codes do nothing
//   23, 24, 25, 27                 accepted and ignored
//
// Saved areas: the host keeps the pixels itself, in a map keyed by the
// caller's buffer address; the caller's buffer is never read or written, so
// any non-null address will do (0 bytes needed). GdiRestoreRect puts back,
// at the position and size it is given, the saved pixels that fall inside
// that rectangle; the saved copy stays until the buffer is saved again.
#pragma once

#include <stdarg.h>
#include <stdint.h>

#include <map>
#include <vector>

#include "bridge/gdi.h"
#include "host/services/call_recorder.h"
#include "host/screen/screen.h"

namespace host {

class GraphicsServices {
 public:
  explicit GraphicsServices(Screen& screen);
  ~GraphicsServices();
  GraphicsServices(const GraphicsServices&) = delete;
  GraphicsServices& operator=(const GraphicsServices&) = delete;

  // The table to hand to GDIInit. mutable_table() lets a test change the
  // colour map or remove a slot.
  const GDI_INIT_PARAMS& table() const { return table_; }
  GDI_INIT_PARAMS& mutable_table() { return table_; }

  Screen& screen() { return screen_; }
  CallRecorder& recorder() { return recorder_; }
  const CallRecorder& recorder() const { return recorder_; }

  // Service calls received since construction (recorded or not).
  uint64_t calls() const { return calls_; }

  uint8_t foreground() const { return fg_; }
  uint8_t background() const { return bg_; }

 private:
  struct SavedArea {
    int x, y, w, h;
    std::vector<uint8_t> pixels;
  };
  struct TextBox {
    int x = 0, y = 0, columns = 0, rows = 0;
    uint8_t fg = 7, bg = 255;
    int font = 2;
    int column = 0, row = 0;  // cursor
  };
  using Handler = int (GraphicsServices::*)(GdiCall&, va_list);

  void Register(int slot, const char* name, int count, Handler handler);
  // The record for a call that is not kept, cleared.
  GdiCall& ReusedCall();
  int SetColors(GdiCall& call, va_list args);
  int FillRect(GdiCall& call, va_list args);
  int SetXorMode(GdiCall& call, va_list args);
  int Line(GdiCall& call, va_list args);
  int Triangle(GdiCall& call, va_list args);
  int SaveRect(GdiCall& call, va_list args);
  int RestoreRect(GdiCall& call, va_list args);
  int OpenTextBox(GdiCall& call, va_list args);
  int WriteText(GdiCall& call, va_list args);
  int WriteChar(GdiCall& call, va_list args);
  int TextBlank(GdiCall& call, va_list args);
  int Ignore(GdiCall& call, va_list args);
  void PutChar(uint8_t code);

  Screen& screen_;
  CallRecorder recorder_;
  GDI_INIT_PARAMS table_{};
  std::vector<uint32_t> handles_;
  uint8_t fg_ = 7;
  uint8_t bg_ = 0;
  TextBox box_;
  std::map<uint32_t, SavedArea> saved_;
  uint64_t calls_ = 0;
  GdiCall reused_;
};

}  // namespace host
