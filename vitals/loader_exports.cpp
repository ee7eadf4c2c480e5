// The exports of libVitals that turn service files into host data: the
// CAN line 1 parameter requests and the PLC message texts.
#include "bridge/host_api.h"
#include "vitals/can_params.h"
#include "vitals/plc_texts.h"

LIB_EXPORT uint32_t LoadEDSCan1(_LOADEDSCAN* record) { return LoadEdsCan1(record); }

LIB_EXPORT int32_t LoadPlcText(_LOADPLSTEXT* record) { return LoadPlcTexts(record); }
