// Recording of captured packets into a text file in the system directory,
// one line a packet, in fixed columns or tab-separated. Lines collect in a
// buffer that goes to the file 1024 characters at a time, so the file grows
// as the recording runs (what came before a failure stays in it); a new
// start replaces the file.
#pragma once

#include <stdint.h>

#include "anvil/can_view.h"
#include "bridge/text_buffer.h"

namespace anvil {

constexpr uint32_t kCanNameMax = 12;
constexpr uint32_t kCanWriteBlock = 1024;

struct CanRecording {
  bool on = false;
  bool tabs = false;               // false: fixed columns
  uint32_t handle = 0;
  char name[kCanNameMax + 1] = "PACKETS.TXT";
  char buffer[kCanWriteBlock + 128] = {};
  uint32_t length = 0;
};

// The file's first line in either style.
const char* CanRecordHeader(bool tabs);
// One packet's line (with its CR LF) appended to `out`.
void CanFormatLine(const CanPacket& p, bool tabs, TextBuffer* out);
// "IIII   L D0 D1 ..": the identifier, the length and eight byte columns
// (blank past the length), as the fixed-column file and the screen show them.
void CanAppendIdAndData(const CanPacket& p, TextBuffer* out);

// Opens <system directory><name> anew and writes the header; false (and
// recording off) when the file cannot be opened or written.
bool CanRecordStart(CanRecording* r, const char* system_directory);
// Appends one line; the first 1024 characters go to the file when more are
// held. False when a write failed: the file is closed, recording is off.
bool CanRecordPacket(CanRecording* r, const CanPacket& p);
// Writes what is held and closes the file; false when that write or the
// close failed. Recording is off afterwards either way.
bool CanRecordStop(CanRecording* r);

}  // namespace anvil
