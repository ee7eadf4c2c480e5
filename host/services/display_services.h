// The simulator's display block: the palette and drawing services that the
// screens of Vitals, Glint, Tracer and Mosaic reach through their record
// (dispatch entry at offset 2, block pointer at offset 6). How a library's
// host sets it up:
//
//   host::Screen screen(800, 600);
//   host::DisplayServices display(screen, host::TextStyle::kScreen);  // Vitals, Glint
//   //                            or host::TextStyle::kForm            // Tracer, Mosaic
//   RecordSet<HostDispatch>(&record, 2, display.dispatch());
//   RecordSet<const uint8_t*>(&record, 6, display.block());
//   ... call the library's PREFIX / DATA exports ...
//   display.recorder().calls();   // every call, decoded, refusals included
//   screen.WritePng("out.png");
//
// The services are registered with the dispatch registry while the object
// lives; the block stays at one address for as long.
//
// Palette (bytes 20 to 37): byte 20 + k holds host colour k for k = 0 to 14
// (BARVA_T15 = CLR_T15 ... BARVA_ZELENA = CLR_GREEN, see "Screen colours"
// in the README), byte 35 holds 22 (a dark green), 36 holds 244 (a mid
// grey), 37 holds 15 (CLR_GREEN_MENU). set_palette() changes one byte.
//
// Words 18 to 127 all carry handles. Each service returns 1 when it ran and
// 0 when it refused the call; every call is recorded (GdiCall::word is the
// display word, GdiCall::slot is -1):
//   18 set colours (fg, bg)        colours of the following fills and lines
//   21 fill (tl, size)             rectangle in the fill/line colour
//   24 line (start, end, pattern)  Bresenham, both ends, pattern bit 15 first
//   25 arc (centre, start, end, 65535)
//                                  radius = distance centre-start; counter-
//                                  clockwise as seen on the screen from the
//                                  start's direction to the end's; a full
//                                  circle when start equals end; solid, in
//                                  the fill/line colour (the last argument
//                                  is recorded, not interpreted)
//   33 text position and style     screen style: (tl, extent, fg, bg, font),
//                                  extent = columns | rows << 8, text outside
//                                  the extent is dropped; form style: (tl,
//                                  font, fg, bg, 2), no extent (the screen's
//                                  edge ends the text). Sets the text colours
//                                  only; fg/bg 255 = transparent background.
//                                  Fonts 0 and 38: 16 x 32 cells, any other
//                                  font 8 x 16.
//   35 write text (string)         from the cursor, one cell per character;
//                                  "\n" moves to the box's left edge one cell
//                                  lower, "\r" to the left edge; no wrapping
//   46 write char (c)              one character the same way
//   any other word                 refused ("no service at word N")
// Refused too: a wrong argument count, a null text.
#pragma once

#include <stdarg.h>
#include <stdint.h>

#include <vector>

#include "bridge/display.h"
#include "host/services/call_recorder.h"
#include "host/screen/screen.h"

namespace host {

enum class TextStyle { kScreen, kForm };

class DisplayServices {
 public:
  DisplayServices(Screen& screen, TextStyle style);
  ~DisplayServices();
  DisplayServices(const DisplayServices&) = delete;
  DisplayServices& operator=(const DisplayServices&) = delete;

  HostDispatch dispatch() const;
  const uint8_t* block() const { return block_; }
  uint32_t handle(int word) const;
  void set_palette(int byte, uint8_t colour);
  // Clears a word's handle (the host lacks that service).
  void remove_word(int word);
  // Puts a handle of the caller's own service at a word (a screen's extra
  // services, such as pictures).
  void set_word(int word, uint32_t handle);
  // Form style: the last argument of word 33 chooses the character size
  // (2: 8 x 16, 0: 16 x 32, 1: 32 x 64), as the technology screens draw.
  void set_mode_sizes(bool on) { mode_sizes_ = on; }

  TextStyle style() const { return style_; }
  Screen& screen() { return screen_; }
  CallRecorder& recorder() { return recorder_; }
  uint8_t foreground() const { return fg_; }
  uint8_t background() const { return bg_; }

 private:
  struct TextCursor {
    int left = 0, top = 0;           // the box's top-left corner
    int column = 0, row = 0;         // cursor cell
    int columns = -1, rows = -1;     // extent; -1 = unbounded (form style)
    uint8_t fg = 7, bg = 255;
    int font = 2;
    int face = 2;                    // the screen's font the characters take
  };
  using Handler = int (DisplayServices::*)(GdiCall&, va_list);

  void Register(int word, const char* name, int count, Handler handler);
  int SetColors(GdiCall& call, va_list args);
  int Fill(GdiCall& call, va_list args);
  int Line(GdiCall& call, va_list args);
  int Arc(GdiCall& call, va_list args);
  int TextStyleCall(GdiCall& call, va_list args);
  int WriteText(GdiCall& call, va_list args);
  int WriteChar(GdiCall& call, va_list args);
  int Refuse(GdiCall& call, va_list args);
  void PutChar(uint8_t code);

  Screen& screen_;
  TextStyle style_;
  CallRecorder recorder_;
  alignas(4) uint8_t block_[kDisplayBlockSize] = {};
  std::vector<uint32_t> handles_;
  uint8_t fg_ = 7;
  uint8_t bg_ = 0;
  bool mode_sizes_ = false;
  TextCursor text_;
};

}  // namespace host
