// The FSPInit export every library carries.
#include "bridge/fsp.h"

LIB_EXPORT int FSPInit(FSP_INIT_PARAMS* params) { return FspInitCopy(params); }
