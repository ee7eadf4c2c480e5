// Messages of the file manager and its clock, both taken from the panel's
// parameter record.
//
// A number goes into the host's message word only while that word and the
// panel's own message number are both 0, so the first message of an
// operation wins; the panel's number (with its 62-character text) is set
// directly.
#pragma once

#include <stdint.h>

#include "anvil/dir_info.h"

namespace anvil {

// The record the messages and the clock belong to (null: none).
void MessagesBind(_DIR_INFO* info);

void RaiseHostMessage(uint16_t number);
// The panel's message with a path (shortened to fit).
void SetPanelPathMessage(uint32_t number, const char* path);
// An FTP error text: message 4212, unless a panel message is pending.
void SetPanelFtpError(const char* text);

// Milliseconds of the panel's tick counter: count / (frequency / 1000),
// complemented first when the counter counts down. False when the record
// gives no counter or a frequency below 1000 Hz.
bool PanelClockMs(uint32_t* ms);

}  // namespace anvil
