// The exports of libVitals.so besides FSPInit, LocalizationInit and
// GetLocString (from the bridge). Every screen export returns 0.
#include "bridge/host_api.h"
#include "vitals/event_files.h"
#include "vitals/event_screen.h"
#include "vitals/panel.h"
#include "vitals/vitals_service.h"

namespace {
PanelState g_panel;
EventScreen g_events;
EventFileState g_event_files;
}  // namespace

LIB_EXPORT int INIT_VITALS(_VITALS* record) {
  ServiceInit(record);
  return 0;
}

LIB_EXPORT int PREFIX_VITALS(_VITALS* record) {
  PanelPrefix(&g_panel, record);
  return 0;
}

LIB_EXPORT int DATA_VITALS() {
  PanelData(&g_panel);
  return 0;
}

LIB_EXPORT int WRITE_EVENT(_DGEVENT* record) {
  if (record != nullptr && record->available != 0) record->result = ExportEvents(record);
  return 0;
}

LIB_EXPORT int WRITE_EVENT_CRITICAL(_DGEVENT* record) {
  if (record != nullptr && record->available != 0)
    record->result = AppendCriticalEvents(&g_event_files, record);
  return 0;
}

LIB_EXPORT int PREFIX_EVENT(_DGEVENT* record) {
  if (record != nullptr) EventPrefix(&g_events, record);
  return 0;
}

LIB_EXPORT int DATA_EVENT(_DGEVENT* record) {
  if (record != nullptr) EventData(&g_events, record);
  return 0;
}

LIB_EXPORT uint32_t VitalsTest(uint32_t*) { return 0x12345678u; }
