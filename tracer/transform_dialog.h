// The transformation dialog (DLL_PREFIX_TRANSFORMACE, DLL_DATA_TRANSFORMACE):
// a row of buttons and fields walked with the cursor keys, where the
// operator activates or deactivates the control's coordinate
// transformation of the host's type and enters its axes, distances and
// angles. The host activates, deactivates, saves and stores through the
// services of STRUCT_TRACER.
#pragma once

#include <stdint.h>

#include "tracer/tracer_record.h"

// Fields, in the order the cursor walks them.
enum DialogField : int {
  kFieldActivate = 1, kFieldDeactivate, kFieldEnterParams, kFieldPlaneAxes, kFieldSpaceAxes,
  kFieldA1, kFieldA2, kFieldA3, kFieldAngle1, kFieldAngle2, kFieldAngle3, kFieldSave, kFieldEnd,
};
constexpr int kDialogFields = 13;
constexpr int kDialogValueChars = 10;

struct TransformDialog {
  STRUCT_TRACER* record;
  uint8_t palette[18];
  int type;               // 1..3; 0 when the host's type is none of them
  char letters[6];        // axis letters of axes 1..6 (0: none)
  int axis_count;
  int field, drawn_field;
  int message;            // 0 none, 1..7
  bool redraw, finish;
  uint8_t mask;           // bit 0 axis 1 ... bit 5 axis 6
  char plane[3];          // two places, NUL
  char space[4];          // three places, NUL
  char values[6][kDialogValueChars + 1];  // fields 6..11, right-aligned
};

// The pure walk of the cursor (no drawing): next and previous field.
int DialogNextField(const TransformDialog* d, int* message);
int DialogPreviousField(const TransformDialog* d, int* message);
// One key on the dialog's state; services are called for Enter.
void DialogKey(TransformDialog* d, uint8_t key);

int TransformPrefix(TransformDialog* d, STRUCT_TRACER* record);
int TransformData(TransformDialog* d, STRUCT_TRACER* record);
