// The ISO (G-code) program view, reached through the generic view exports
// when the format byte of VIEW_INFO is 0.
#pragma once

#include "kerf/view_info.h"

uint32_t IsoViewStart(const VIEW_INFO* info);
uint32_t IsoViewCont(const VIEW_INFO* info);
uint32_t IsoViewStop(const VIEW_INFO* info);
