// The ISO contour view's export.
#include "bridge/host_api.h"
#include "tracer/iso_contour.h"

LIB_EXPORT int DLL_SHOWISO(STRUCT_TRACER* record) { return record != nullptr ? ShowIso(record) : 0; }
