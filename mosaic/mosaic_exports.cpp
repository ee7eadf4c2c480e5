// The exports of libMosaic.so besides FSPInit, LocalizationInit and
// GetLocString (from the bridge). No string table is selected at load:
// the host calls LocalizationInit first.
#include "bridge/display.h"
#include "bridge/host_api.h"
#include "mosaic/led_window.h"
#include "mosaic/mosaic_records.h"

namespace {

const STRUCT_COMMONDIAL* g_dialog;
const STRUCT_DISPLAYWL* g_led;
LedPalette g_dialog_palette, g_led_palette;

void CopyPalette(const uint8_t* block, const int* bytes, int count, LedPalette* palette) {
  for (int i = 0; i < count; ++i) palette->bytes[bytes[i]] = block != nullptr ? block[bytes[i]] : 0;
}

}  // namespace

LIB_EXPORT int DLL_COMMON_DIAL_START(const STRUCT_COMMONDIAL* record) {
  static const int kBytes[] = {20, 21, 22, 25, 27, 29};
  g_dialog = record;
  if (record != nullptr) CopyPalette(record->serviceBlock, kBytes, 6, &g_dialog_palette);
  return 0;
}

LIB_EXPORT int DLL_COMMON_DIAL_CONT(const STRUCT_COMMONDIAL*) { return 0; }
LIB_EXPORT int DLL_COMMON_DIAL_STOP(const STRUCT_COMMONDIAL*) { return 0; }

LIB_EXPORT int DLL_DISPLAY_WIN_LED(const STRUCT_DISPLAYWL* record) {
  static const int kBytes[] = {20, 21, 22, 25, 27, 29, 33};
  if (record == nullptr) return 0;
  g_led = record;
  CopyPalette(record->serviceBlock, kBytes, 7, &g_led_palette);
  if (record->mode == kDisplayWlConvert) {
    // Nothing is stored without both destinations and the source words.
    if (record->firstOut == nullptr || record->secondOut == nullptr || record->coordinateWords == nullptr) return 0;
    double first = 0, second = 0;
    ConvertCoordinates(record->hostMemory, record->coordinateWords[kCoordinateWordFirst],
                       record->coordinateWords[kCoordinateWordSecond], &first, &second);
    *record->firstOut = first;
    *record->secondOut = second;
    return 0;
  }
  DisplayBind(record->services);
  DrawLedWindow(g_led_palette, record->hostMemory);
  return 0;
}
