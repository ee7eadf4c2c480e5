// The drawing calls the graphics table (GraphicsServices) and the display
// block (DisplayServices) have in common: each decodes the packed arguments
// of one service call into the recorded GdiCall and, where it draws, draws
// on the screen in the given colour. A point or a size is packed as
// x | y << 16, both halves signed.
//
// The functions read exactly the arguments the service takes from `args`;
// the caller has checked the count (CountAccepted) and uses `args` no more.
#pragma once

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

#include "host/services/call_recorder.h"
#include "host/screen/screen.h"

namespace host {

inline int16_t PackedX(uint32_t packed) { return static_cast<int16_t>(packed & 0xFFFF); }
inline int16_t PackedY(uint32_t packed) { return static_cast<int16_t>(packed >> 16); }

// False, with the reason in call.error, when the call brought another
// count of arguments than `expected` (-1: any count is accepted).
bool CountAccepted(GdiCall& call, int expected);

// (fg, bg): the colours of the following drawing, as the host receives them.
void DecodeColors(GdiCall& call, va_list args, uint8_t* fg, uint8_t* bg);
// (tl, size): a rectangle filled in `fg`.
void DrawFill(Screen& screen, GdiCall& call, va_list args, uint8_t fg);
// (start, end, pattern): a patterned line in `fg`.
void DrawLine(Screen& screen, GdiCall& call, va_list args, uint8_t fg);
// (text): the text, at most `max_length` characters of it; null (refused,
// call.error says why) for a null pointer.
const char* DecodeText(GdiCall& call, va_list args, size_t max_length, size_t* length);
// (c): the character, the low byte of the argument.
uint8_t DecodeChar(GdiCall& call, va_list args);

}  // namespace host
