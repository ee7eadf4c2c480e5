// The entry-form engine every table-input export of Tracer shares: layout,
// cursor and blink, keys, entry-number rules, axis keys, the set and add
// evaluation, and the write. A form is a FormVariant (a table of what
// differs) run by this engine; one form is open at a time.
//
// The value, result and entry texts are kept here and copied out to the
// host's buffers (11, 11 and 3 bytes) whenever they change; what the host's
// load services put into resultText is read back from at most 11 bytes.
#pragma once

#include <stdint.h>

#include "tracer/tracer_record.h"

enum FormKind : uint8_t { kFormInkor = 1, kFormInkor2 = 2, kFormInkor3 = 3, kFormInposun = 4, kFormOffsets = 5 };

enum class AxisStart : uint8_t { kHost, kFirst, kReplace, kDefaultAxes };  // host's, 0, 255, modeText
enum class LetterSource : uint8_t { kHostLetter, kAxisNames, kRadius, kDefaultAxes };

// What the zero-offset forms add to the engine (null for the corrections).
struct OffsetRules {
  uint8_t write_mode;         // writeMode for the host
  bool axis_value_position;   // positionArg from the axis-value service; an
                              // axis key also resets the entered value to 0
  bool advance_on_axis_key;   // that reset is shown as after a digit (row 3)
  bool fixed_table;           // the fixed additive shift: " NULL " row, own
                              // keys, writeFixHandle, no entry number
};
enum class MarkerKind : uint8_t { kDoubling, kNewText };
enum class ValueStart : uint8_t { kZeros, kBlankZero, kLoaded };

struct FormVariant {
  FormKind kind;
  uint8_t add_mode;          // addMode at start (255 for the loading forms)
  AxisStart axis;
  bool position_arg_zero;    // positionArg := 0 at start
  const char* entry;         // entryText at start
  LetterSource letter;
  uint16_t descriptions[3];  // the three description texts
  uint16_t prompt;
  MarkerKind marker;
  ValueStart value;
  uint8_t leave_key;
  bool enter_evaluates_again;  // Enter on row 3 evaluates once more
  bool axis_keys;
  bool shift_table;          // "$POS" and shiftTableName instead of "$KOR"
  const char* label;         // table label before the entry number
  const OffsetRules* offsets;  // the zero-offset forms' rules, or null
};

extern const FormVariant kInkor, kInkor2, kInkor3;
extern const FormVariant kInposun, kInposunZapis, kInposunZapisFix;

enum FormKey : uint8_t {
  kFormDown = 1, kFormUp = 2, kFormLeft = 12, kFormRight = 14, kFormSign = 63, kFormEnter = 164,
};
constexpr uint8_t kFormFinished = 9;
constexpr uint8_t kMessageWriteFailed = 135;

struct FormState {
  STRUCT_TRACER* record;
  const FormVariant* variant;
  uint8_t palette[18];  // bytes 20..37 of the display block
  int decimals;
  int row, column;
  bool visible;         // blink phase
  uint16_t last_tick;
  bool written;
  uint8_t last_key;
  char axis_names[6];
  char value[11];
  char result[11];
  char entry[3];
};

// Prefix: draws the form and sets it up; returns 0.
int FormPrefix(FormState* f, STRUCT_TRACER* record, const FormVariant* variant);
// Data: one key; returns 0 while open, 9 when finished.
int FormData(FormState* f, STRUCT_TRACER* record);

// Entry number rules (correction or shift tables).
bool EntryValid(const char* entry, bool shift_family, uint32_t halving_bits);
