// Event rings written as text, one event a line, for hostsim and tests:
//
//   # comment; blank lines are skipped
//   07:02:40 A1203 8 !Torch collision
//   TIME     CODE  CLASS [!]DESCRIPTION
//
// TIME is HH:MM:SS (hours 0 to 23, minutes and seconds 0 to 59); CODE one
// to five characters; CLASS one character ("_" for a blank class); a "!"
// before the description marks the event critical (not yet written to
// EVCRITIC.TXT); the description holds at most 19 characters (UTF-8,
// turned into the control's character set). A refused line is named with
// its number and the reason.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/services/host_memory.h"
#include "vitals/vitals_records.h"

namespace host {

// Parses `text`; returns "" and fills *events, or the reason it was refused
// ("line 3: ...").
std::string ParseEventRing(const std::string& text, std::vector<EVENT_RECORD>* events);

// Writes events into the ring of `memory` the way the control adds them:
// each at the write offset, which moves on and wraps (setting the wrapped
// flag); the new-event flag is set.
void AppendEvents(HostMemory& memory, const std::vector<EVENT_RECORD>& events);
// Fills the ring round once with the events (repeated) and then writes
// them once more: a wrapped ring whose newest events are `events`.
void FillWrapped(HostMemory& memory, const std::vector<EVENT_RECORD>& events);
// The event in slot `slot` of the ring.
EVENT_RECORD EventInSlot(const HostMemory& memory, uint32_t slot);

}  // namespace host
