// The exports of the drive and axis screens. Each returns 0; before
// INIT_VITALS none of them draws.
#include "bridge/host_api.h"
#include "vitals/axis_screens.h"
#include "vitals/ecc_screen.h"
#include "vitals/servo_screen.h"
#include "vitals/slm_screen.h"

namespace {
SlmState g_slm = {1, 'a'};
}  // namespace

LIB_EXPORT int PREFIX_SLM(_DGSLM* record) {
  SlmPrefix(&g_slm, record);
  return 0;
}
LIB_EXPORT int DATA_SLM(_DGSLM* record) {
  SlmData(&g_slm, record);
  return 0;
}
LIB_EXPORT int PREFIX_SERVO(_DGSERVO* record) {
  ServoPrefix(record);
  return 0;
}
LIB_EXPORT int DATA_SERVO(_DGSERVO* record) {
  ServoData(record);
  return 0;
}
LIB_EXPORT int PREFIX_ECC(_DGNECC* record) {
  EccPrefix(record);
  return 0;
}
LIB_EXPORT int DATA_ECC(_DGNECC* record) {
  EccData(record);
  return 0;
}
LIB_EXPORT int PREFIX_TRANS(_TRANS* record) {
  TransPrefix(record);
  return 0;
}
LIB_EXPORT int DATA_TRANS(_TRANS* record) {
  TransData(record);
  return 0;
}
LIB_EXPORT int PREFIX_NKOR(_NKOR* record) {
  NkorPrefix(record);
  return 0;
}
// No value of these two screens has a source the host describes.
LIB_EXPORT int DATA_NKOR(_NKOR*) { return 0; }
LIB_EXPORT int PREFIX_SU4(_SU4* record) {
  Su4Prefix(record);
  return 0;
}
LIB_EXPORT int DATA_SU4(_SU4*) { return 0; }
