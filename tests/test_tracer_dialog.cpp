// The transformation dialog: its walks (directly) and its editing, Enter,
// save and messages through libTracer's exports.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bridge/localization.h"
#include "host/runners/dialog_runner.h"
#include "host/services/dialog_host.h"
#include "tests/support/tracer_rig.h"
#include "tracer/transform_dialog.h"
#include "tracer/transform_dialog_draw.h"

namespace {

TEST(TracerDialog, NextAndPreviousFields) {
  struct Case {
    int type;
    bool active, axes_full;
    int field;
    int next, next_message;
    int previous, previous_message;
  };
  const Case cases[] = {
      // Plane types.
      {1, false, false, 1, 2, 0, 3, 0},   {1, true, false, 1, 2, 0, 2, 0},    // ACTIVATE
      {1, false, false, 2, 3, 0, 1, 0},   {1, true, false, 2, 1, 0, 1, 0},    // DEACTIVATE: active skips 3
      {2, false, false, 3, 1, 0, 2, 0},                                       // ENTER PARAM
      {1, false, false, 4, 4, 0, 4, 0},   {2, false, true, 4, 6, 0, 3, 1},    // plane axes
      {1, false, true, 6, 7, 0, 4, 0},    {1, false, true, 7, 9, 0, 6, 0},
      {1, false, true, 9, 12, 0, 7, 0},   {1, false, true, 12, 13, 6, 9, 0},  // SAVE left: not saved
      {1, false, true, 13, 1, 1, 1, 1},                                       // END
      // The space type.
      {3, false, false, 5, 5, 0, 5, 0},   {3, false, true, 5, 6, 0, 3, 1},
      {3, false, true, 6, 7, 0, 5, 0},    {3, false, true, 7, 8, 0, 6, 0},
      {3, false, true, 8, 9, 0, 7, 0},    {3, false, true, 9, 10, 0, 8, 0},
      {3, false, true, 10, 11, 0, 9, 0},  {3, false, true, 11, 12, 0, 10, 0},
      {3, false, true, 12, 13, 6, 11, 0}, {3, true, false, 2, 1, 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type) + " field " + std::to_string(c.field));
    STRUCT_TRACER record{};
    uint8_t active[3] = {};
    for (int k = 0; k < 3; ++k) record.transformActive[k] = &active[k];
    active[c.type - 1] = c.active ? 1 : 0;
    TransformDialog d{};
    d.record = &record;
    d.type = c.type;
    snprintf(d.plane, sizeof d.plane, "%s", c.axes_full ? "XY" : " X");
    snprintf(d.space, sizeof d.space, "%s", c.axes_full ? "XYZ" : " XY");
    d.field = c.field;
    int message = 0;
    EXPECT_EQ(DialogNextField(&d, &message), c.next);
    EXPECT_EQ(message, c.next_message);
    message = 0;
    EXPECT_EQ(DialogPreviousField(&d, &message), c.previous);
    EXPECT_EQ(message, c.previous_message);
  }
}

class TracerDialogExports : public ::testing::Test {
 protected:
  int Open(int type) {
    rig.host.record().transformType = static_cast<uint8_t>(type);
    return dialog_runner.Prefix();
  }
  int Keys(const std::string& script) {
    std::vector<host::KeyStep> steps;
    EXPECT_EQ(host::ParseKeyScript(script, host::kDialogKeys, &steps), "");
    std::vector<uint8_t> codes;
    std::string error;
    EXPECT_TRUE(host::DialogKeyCodes(steps, &codes, &error)) << error;
    return dialog_runner.Run(codes);
  }
  std::string LastMessage() { return rig.LastTextAt(kDialogMessagePoint.x, kDialogMessagePoint.y); }
  std::string Field(int field) {
    const DialogPoint at = DialogFieldPoint(field);
    return rig.LastTextAt(at.x, at.y);
  }

  testing_support::TracerRig rig;
  host::DialogHost dialog{rig.host};
  host::DialogRunner dialog_runner{rig.runner, rig.host};
};

TEST_F(TracerDialogExports, PlaneSaveFillsTheBuffers) {
  Open(1);
  LocalizationSelect(nullptr, kLangEnglish);
  EXPECT_EQ(rig.LastTextAt(kDialogHintPoint.x, kDialogHintPoint.y), LocText(1208));
  Keys("next next enter X X");
  EXPECT_EQ(Field(kFieldPlaneAxes), " X");  // the same letter twice stays one
  Keys("Y Z");
  EXPECT_EQ(Field(kFieldPlaneAxes), "XY");  // a full field ignores Z
  Keys("next 1234567890 1 next 3 point 5 point 7 sign next 45");
  EXPECT_EQ(Field(kFieldA1), "1234567890");  // the eleventh character is ignored
  EXPECT_EQ(Field(kFieldA2), "     -3.57");  // the second point is ignored
  EXPECT_EQ(Keys("next enter"), 0);
  EXPECT_EQ(dialog.calls(), (std::vector<std::string>{"save", "store 1"}));
  EXPECT_EQ(dialog.mask, 0x03);
  EXPECT_EQ(dialog.Distance(0), "1234567890");
  EXPECT_EQ(dialog.Distance(1), "     -3.57");
  EXPECT_EQ(dialog.Distance(2), "0");
  EXPECT_EQ(dialog.Angle(0), "        45");
  EXPECT_EQ(dialog.Angle(1), "0");
  EXPECT_EQ(dialog.Angle(2), "0");
  EXPECT_EQ(LastMessage(), " Parameters of transformation was save");
  EXPECT_TRUE(dialog.GuardsIntact());
  EXPECT_EQ(Keys("enter"), 9);  // END
  EXPECT_EQ(rig.host.form_status, 9);
}

TEST_F(TracerDialogExports, SpaceSaveWithTwoAxesStoresAndSaysBadParameters) {
  Open(3);
  Keys("next next enter X Y");
  EXPECT_EQ(Field(kFieldSpaceAxes), " XY");
  // Two of three letters: the field cannot be left forward, only back.
  Keys("next");
  EXPECT_EQ(Field(kFieldSpaceAxes), " XY");
  Keys("clear Z Y X next 1 next 2 next 3 next 4 next 5 next 6 next enter");
  EXPECT_EQ(dialog.mask, 0x07);
  EXPECT_EQ(dialog.Distance(2), "         3");
  EXPECT_EQ(dialog.Angle(2), "         6");
  // A second save without choosing the axes again: the letters still
  // stand, the mask was cleared: bad parameters, still handed over.
  Keys("prev prev enter next next next next next next next enter");
  EXPECT_EQ(LastMessage(), " Bad parameters                       ");
  EXPECT_EQ(dialog.calls(), (std::vector<std::string>{"save", "store 3", "save", "store 3"}));
  EXPECT_EQ(dialog.mask, 0x00);
  EXPECT_EQ(dialog.Distance(0), "          ");
}

TEST_F(TracerDialogExports, ActivateDeactivate) {
  Open(2);
  Keys("enter");
  EXPECT_EQ(dialog.active[1], 1);
  EXPECT_EQ(LastMessage(), " Transformation was activated!        ");
  // Active: from DEACTIVATE the next field is ACTIVATE, never ENTER PARAM,
  // so END, 1, 2, 1, 2 ends on DEACTIVATE.
  Keys("next next next next enter");
  EXPECT_EQ(dialog.active[1], 0);
  EXPECT_EQ(dialog.calls(), (std::vector<std::string>{"activate 2", "deactivate 2"}));
}

TEST_F(TracerDialogExports, TypeOutOfRangeCallsNothing) {
  for (int type : {0, 4, 255}) {
    SCOPED_TRACE(type);
    Open(type);
    Keys("enter next enter next enter");
    EXPECT_TRUE(dialog.calls().empty());
    EXPECT_EQ(LastMessage(), " Bad parameters                       ");
  }
  EXPECT_EQ(rig.host.calls("axis value"), 0);
}

}  // namespace
