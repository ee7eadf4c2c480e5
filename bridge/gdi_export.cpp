// The GDIInit export of the drawing libraries.
#include "bridge/gdi.h"

LIB_EXPORT int GDIInit(GDI_INIT_PARAMS* params) { return GdiInitCopy(params); }
