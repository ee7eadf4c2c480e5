// Placeholder until the ISO view lands: an ISO program is reported finished
// at once without drawing.
#include "kerf/iso_view.h"

uint32_t IsoViewStart(const VIEW_INFO*) { return 0; }
uint32_t IsoViewCont(const VIEW_INFO*) { return 2; }
uint32_t IsoViewStop(const VIEW_INFO*) { return 0; }
