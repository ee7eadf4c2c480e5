#include "tracer/transform_dialog_draw.h"

#include "bridge/display.h"
#include "bridge/localization.h"
#include "tracer/display_point.h"

namespace {

constexpr uint32_t kFont = 38;
constexpr DialogPoint kFieldPoints[kDialogFields + 1] = {
    {0, 0},     {16, 112},  {208, 112}, {400, 112}, {144, 160}, {336, 160}, {64, 240},
    {64, 272},  {64, 304},  {288, 240}, {288, 272}, {288, 304}, {16, 352},  {400, 352},
};
constexpr uint32_t kButtonTexts[] = {0, 1231, 1232, 1233};
constexpr uint32_t kSaveText = 1234, kEndText = 1235;
constexpr uint32_t kMessageTexts[8] = {0, 1200, 1201, 1202, 1203, 1204, 1205, 1206};

uint8_t Colour(const TransformDialog* d, int byte) { return d->palette[byte - 20]; }

void Write(const TransformDialog* d, int x, int y, int fg, int bg, const char* text) {
  DisplayTextForm(PackPoint(x, y), kFont, Colour(d, fg), Colour(d, bg));
  if (text != nullptr) DisplayWriteText(text);
}

bool Plane(const TransformDialog* d) { return d->type == 1 || d->type == 2; }

// A field greyed for the type: the axes of the other kind, the third
// distance and the lower angles of a plane type.
bool Greyed(const TransformDialog* d, int field) {
  if (field == kFieldPlaneAxes) return !Plane(d);
  if (field == kFieldSpaceAxes) return d->type != 3;
  if (field == kFieldA3 || field == kFieldAngle2 || field == kFieldAngle3) return d->type != 3;
  return false;
}

const char* FieldText(const TransformDialog* d, int field) {
  switch (field) {
    case kFieldActivate:
    case kFieldDeactivate:
    case kFieldEnterParams: return LocText(kButtonTexts[field]);
    case kFieldPlaneAxes: return d->plane;
    case kFieldSpaceAxes: return d->space;
    case kFieldSave: return LocText(kSaveText);
    case kFieldEnd: return LocText(kEndText);
    default: return d->values[field - kFieldA1];
  }
}

}  // namespace

DialogPoint DialogFieldPoint(int field) {
  return field >= 1 && field <= kDialogFields ? kFieldPoints[field] : kFieldPoints[0];
}

void BindDialog(TransformDialog* d) {
  DisplayBind(d->record);
  for (int i = 0; i < 18; ++i) d->palette[i] = DisplayPalette(20 + i);
}

void DrawDialogField(const TransformDialog* d, int field) {
  const DialogPoint at = DialogFieldPoint(field);
  const bool current = field == d->field;
  const bool axes = field == kFieldPlaneAxes || field == kFieldSpaceAxes;
  if (current) Write(d, at.x, at.y, 27, 21, FieldText(d, field));
  else if (axes && Greyed(d, field)) Write(d, at.x, at.y, 27, 29, FieldText(d, field));
  else Write(d, at.x, at.y, 20, 25, FieldText(d, field));
}

void DrawDialogFields(const TransformDialog* d) {
  for (int field = 1; field <= kDialogFields; ++field) DrawDialogField(d, field);
}

void DrawDialogMessage(const TransformDialog* d, int message) {
  if (message < 1 || message > 7) return;
  Write(d, kDialogMessagePoint.x, kDialogMessagePoint.y, 27, 21, LocText(kMessageTexts[message]));
}

void DrawDialog(const TransformDialog* d) {
  static const char* const kTypes[3] = {"2D(1)", "2D(2)", "3D(1)"};
  static const char* const kGlyphs[3] = {"\xAA ", "\xAB ", "\xAC "};
  static const char* const kLabels[3] = {"a1 ", "a2 ", "a3 "};
  Write(d, 16, 16, 27, 21, LocText(1236));
  Write(d, 16, 64, 20, 27, LocText(1237));
  for (int t = 0; t < 3; ++t) {
    const bool chosen = d->type == t + 1;
    Write(d, 336 + 96 * t, 64, chosen ? 20 : 29, chosen ? 25 : 27, kTypes[t]);
  }
  Write(d, 16, 160, Plane(d) ? 20 : 29, 27, LocText(1238));
  Write(d, 192, 160, d->type == 3 ? 20 : 29, 27, LocText(1239));
  Write(d, 16, 208, 20, 27, LocText(1240));
  for (int row = 0; row < 3; ++row) {
    const int y = 240 + 32 * row;
    const bool greyed_distance = row == 2 && d->type != 3, greyed_angle = row > 0 && d->type != 3;
    Write(d, 16, y, greyed_distance ? 29 : 20, 27, kLabels[row]);
    Write(d, 256, y, greyed_angle ? 29 : 20, 27, kGlyphs[row]);
  }
  Write(d, kDialogMessagePoint.x, kDialogMessagePoint.y, 27, 21, LocText(1200));
  Write(d, kDialogHintPoint.x, kDialogHintPoint.y, 27, 21, LocText(1208));
  DrawDialogFields(d);
}
