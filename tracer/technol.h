// Technology screens: a host text describes every screen in a small markup
// (texts, attributes, graphics, field definitions, one "$US<n>" section per
// screen); the prefix call draws one screen and registers its fields, the
// data call edits them. Three instances, each with its own 68 fields.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "tracer/tracer_record.h"

#pragma pack(push, 1)
struct TechnolField {
  char type;           // 'I' input, 'V' value, 'O' output only
  uint16_t x;          // character column, or pixel x + 10000
  uint16_t y;          // character row, or pixel y + 10000
  uint16_t third;      // pictures: right edge
  uint16_t fourth;     // pictures: bottom edge
  uint8_t decimals;    // 0..5 (more counts as 0); pictures: number + 1
  uint16_t identifier; // handed to the host for the current field
  char kind;           // 'P' picture
  uint8_t eighth;
  uint8_t width;       // characters, at most kTechnolMaxWidth
  uint8_t size;        // 1: 16 pixels wide, else 8
  uint8_t background;  // colour digit
  uint8_t foreground;  // colour digit
};
#pragma pack(pop)
static_assert(sizeof(TechnolField) == 18);
static_assert(offsetof(TechnolField, x) == 1);
static_assert(offsetof(TechnolField, y) == 3);
static_assert(offsetof(TechnolField, third) == 5);
static_assert(offsetof(TechnolField, fourth) == 7);
static_assert(offsetof(TechnolField, decimals) == 9);
static_assert(offsetof(TechnolField, identifier) == 10);
static_assert(offsetof(TechnolField, kind) == 12);
static_assert(offsetof(TechnolField, eighth) == 13);
static_assert(offsetof(TechnolField, width) == 14);
static_assert(offsetof(TechnolField, size) == 15);
static_assert(offsetof(TechnolField, background) == 16);
static_assert(offsetof(TechnolField, foreground) == 17);

constexpr int kTechnolInstances = 3;
constexpr int kTechnolFields = 68;
constexpr int kTechnolMaxWidth = 29;
constexpr int kTechnolEntryBytes = 31;    // 30 characters and the NUL
constexpr int kTechnolLineChars = 100;    // longer lines are read as their first 100
constexpr uint16_t kTechnolPixel = 10000; // coordinates from here on are pixels
constexpr uint8_t kTechnolOrderEnd = 255;

// Input array bytes (+ instance index 0..2), output array bytes.
constexpr int kInWantedScreen = 2, kInState = 8, kInRequest = 11;
constexpr int kOutShownScreen = 2, kOutHandedOver = 5, kOutIdentifier = 6, kOutCounter = 8,
              kOutEntryText = 12;

constexpr TechnolField kTechnolDefaultField = {'I', 0, 0, 0, 0, 1, 0, 'D', 1, 8, 2, 0, 4};

struct TechnolInstance {
  TechnolField fields[kTechnolFields];
  int count;                              // fields defined (0: none)
  uint8_t order[kTechnolFields + 1];      // editing order, ending with kTechnolOrderEnd
  int current;                            // position in `order`
};

struct TechnolState {
  TechnolInstance instances[kTechnolInstances];
  char entries[kTechnolFields][kTechnolEntryBytes];  // instance 1's entry texts
  bool changed[kTechnolFields];
  bool first_key;                         // the next entry key empties the entry
  uint8_t palette[18];                    // bytes 20..37 of the service block
};

// Palette colour of a description's colour digit; `field` makes 6 transparent.
uint8_t TechnolColour(const TechnolState* s, int digit, bool field);

// Interprets one description line (no line end, at most kTechnolLineChars,
// comment removed) at the text cursor; field definitions go to `inst`.
struct TechnolCursor {
  int x, y;          // next character
  int line_x;        // where a line feed returns to
  int size;          // size digit 0..3
  uint8_t fg, bg;
};
void TechnolInterpretLine(TechnolState* s, TechnolInstance* inst, TechnolCursor* cursor, const char* line,
                          size_t length);

// Copies the next line of `text` from *pos into `line` (its first
// kTechnolLineChars characters, without the comment); advances *pos past
// the line end. Returns false at the text's end.
bool TechnolNextLine(const char* text, size_t* pos, char* line, size_t* length);
// The digit run after "$US" in a line: true when the line is a section
// line; *number = the run's value, or -1 when it has no digits or more
// than five.
bool TechnolSectionLine(const char* line, size_t length, long* number);

int TechnolPrefix(TechnolState* s, STRUCT_TRACER* record);
int TechnolData(TechnolState* s, STRUCT_TRACER* record);

// Word 33 with the mode as its last argument (2: 8-pixel, 0: 16-pixel,
// 1: 32-pixel characters).
void DisplayTextMode(uint32_t at, uint32_t font, uint32_t foreground, uint32_t background, uint32_t mode);

// Drawing of one field's box with its entry text.
void TechnolDrawField(const TechnolState* s, const TechnolField* f, const char* text, bool current);
