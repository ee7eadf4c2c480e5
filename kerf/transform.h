// The contour transformation: a small dialog that collects the array's
// parameters, then writes a nesting program made of rotated copies of one
// contour (or of an odd and an even contour), joined by rapid moves.
//
// The dialog keeps its field texts in static storage between dialogs; the
// whole generation runs inside the TransformCont call that confirms it.
#pragma once

#include "bridge/host_api.h"
#include "bridge/text_buffer.h"
#include "kerf/reader.h"

#pragma pack(push, 1)
struct TRANSFORM_INFO {
  uint8_t reserved0[6];
  const char* const* sources;  // odd-shape and even-shape program paths
  uint8_t reserved10[4];
  const char* output;          // the nesting program to write
  uint16_t left, top, right, bottom;
  uint8_t event;               // 1 = a key for TransformCont; cleared after
  int8_t key;                  // the host's key code
  uint8_t reserved28[9];
  uint8_t defaults_only;       // first start after loading: only set defaults
  uint8_t kind;                // 0, 1 or 2
};
#pragma pack(pop)
static_assert(offsetof(TRANSFORM_INFO, sources) == 6);
static_assert(offsetof(TRANSFORM_INFO, output) == 14);
static_assert(offsetof(TRANSFORM_INFO, left) == 18);
static_assert(offsetof(TRANSFORM_INFO, top) == 20);
static_assert(offsetof(TRANSFORM_INFO, right) == 22);
static_assert(offsetof(TRANSFORM_INFO, bottom) == 24);
static_assert(offsetof(TRANSFORM_INFO, event) == 26);
static_assert(offsetof(TRANSFORM_INFO, key) == 27);
static_assert(offsetof(TRANSFORM_INFO, defaults_only) == 37);
static_assert(offsetof(TRANSFORM_INFO, kind) == 38);
static_assert(sizeof(TRANSFORM_INFO) == 39);

// Host key codes understood by the dialog.
enum : uint8_t {
  kKeyPrevious = 1,
  kKeyToggleA = 2,
  kKeyNext = 3,
  kKeyToggleB = 4,
  kKeyPoint = 0x2B,
  kKeyDelete = 0x2E,
  kKeySign = 0x3F,
  kKeyEnter = 0xFF,
};

// The dialog's places. 1 to 10 are kind 0's fields in screen order, 11 and
// 12 its buttons; kSegmentsY exists only in kinds 1 and 2. The other kinds
// show some of kind 0's texts under their own labels (see KindLayout).
enum TransformSlot : uint8_t {
  kSlotNone = 0,
  kSlotSegments = 1,      // "Number of Segments" (N)
  kSlotAngle = 2,
  kSlotAngleEven = 3,
  kSlotSegmentsX = 4,     // NX
  kSlotXShift = 5,        // xo
  kSlotYShift = 6,        // Y, row pitch (kind 0)
  kSlotPairShift = 7,     // xp
  kSlotEvenYShift = 8,    // yo; the "Y Shift" of kinds 1 and 2
  kSlotRowShift = 9,      // g
  kSlotShorter = 10,      // yes/no
  kSlotOk = 11,
  kSlotCancel = 12,
  kSlotSegmentsY = 13,    // NY
  kSlotCount = 14,
};

constexpr uint32_t kFieldTextMax = 10;

// The field texts, kept between dialogs.
struct TransformFields {
  char text[kSlotCount][kFieldTextMax + 1];
  bool shorter;
  bool defaults_set;
};

constexpr uint32_t kTransformPathMax = 260;

// One dialog and its generation.
struct TransformContext {
  TransformFields fields;
  uint8_t kind;
  uint8_t selected;          // a TransformSlot
  bool fresh;                // the first digit replaces the text
  int16_t left, top, right, bottom;
  char odd_path[kTransformPathMax];
  char even_path[kTransformPathMax];
  char output_path[kTransformPathMax];
  bool paths_fit;            // every path fitted its buffer
  int32_t percent_shown;     // -1: none shown since the dialog opened
  uint32_t error_text;
};

// Parameters of one generation, in program units and degrees.
struct TransformParams {
  uint32_t n, nx;
  double a_odd, a_even;
  double xo, yo, xp, y, g;
  bool shorter;
};

// Screen order of a kind's places (fields, then OK and Cancel); returns the
// count.
uint32_t KindLayout(uint8_t kind, const uint8_t** slots);
// Label text number of a place in a kind (kinds 1 and 2 show kind 0's
// "Shift of even in Y-axis" as their "Y Shift").
uint32_t SlotLabel(uint8_t kind, uint8_t slot);
// Row of a place in the kind's dialog (fields from 0, OK two rows below the
// last field, Cancel one below OK), or -1 when the kind does not show it.
int32_t SlotRow(uint8_t kind, uint8_t slot);

// The field texts' defaults.
void SetFieldDefaults(TransformFields* fields);
// The text a field stands for in kind 0 (an empty "Angle of even", which
// kind 1 reads as "no second angle", is kind 0's angle 0).
const char* KindZeroText(const TransformFields* fields, uint8_t slot);

// A field text as a number: a leading "-" negates, digits accumulate, the
// result is divided by 10 per digit after the decimal point. Anything else
// in the text is skipped.
double FieldNumber(const char* text);

// The generation parameters the fields give in `kind`.
TransformParams ParamsOf(const TransformFields* fields, uint8_t kind, const char* odd_path,
                         const char* even_path);

// The place selected after `slot` by key 3 (forward) or key 1 (backward),
// with the kind's skipping rules.
uint8_t NextSlot(const TransformContext* t, uint8_t slot, bool forward);

// Acts on one key code; returns 1 (dialog goes on), 2 (ended) or 5.
uint32_t TransformKey(TransformContext* t, uint8_t key);

// Half away from zero, as the rotated moves are written.
double RoundHalfAway(double v);
// Appends a whole number (already integral) with an explicit sign, "+" for
// zero and positive values. False for a value that is not finite.
bool AppendSignedWhole(TextBuffer* b, double v);

// The generation: rotation, measuring and copying. Returns 2 when the
// output was written, 5 on a failure (its text in t->error_text).
uint32_t GenerateNesting(TransformContext* t);

// Temporary programs of the generation.
extern const char kOddTempPath[];
extern const char kEvenTempPath[];

// Dialog drawing.
void DrawTransformFrame(const TransformContext* t);
void DrawTransformValues(const TransformContext* t);
void DrawTransformPercent(TransformContext* t, int32_t percent);
void DrawTransformError(const TransformContext* t);
// The title bar as the dialog opened (clears an error shown there).
void RedrawTransformTitle(const TransformContext* t);

uint32_t KerfTransformStart(TransformContext* t, TRANSFORM_INFO* info);
uint32_t KerfTransformCont(TransformContext* t, TRANSFORM_INFO* info);

// The library's one transformation.
TransformContext* TheTransform();
