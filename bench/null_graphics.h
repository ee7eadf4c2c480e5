// A graphics table whose every service returns at once: a view drawn against
// it costs only the library's own work and its calls through the table.
#pragma once

#include "bridge/gdi.h"

// Every slot carries a handle; the dispatch entry does nothing but return 1.
const GDI_INIT_PARAMS& NullGraphicsTable();
