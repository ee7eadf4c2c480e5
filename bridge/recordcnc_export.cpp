// The RecordCNCInit export of the libraries that read the control's state.
#include "bridge/recordcnc.h"

LIB_EXPORT int RecordCNCInit(RECORDCNC_INIT_PARAMS* params) { return RecordCNCInitCopy(params); }
