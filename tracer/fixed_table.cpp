// The reset of the fixed additive shift table: a new file is written and
// closed completely before it replaces the old one.
#include "bridge/fsp.h"
#include "bridge/text_buffer.h"
#include "tracer/host_services.h"
#include "tracer/offset_forms.h"

// The 89 characters of the zeroed table and a closing zero byte.
const char kFixedTableReset[90] =
    "Fixni aditivni posunuti \n\n$POS\n00: 1=0.000  2=0.000  3=0.000  4=0.000  5=0.000  6=0.000 \n";

namespace {

constexpr uint32_t kPathBytes = 128;

// fixTableDir followed by `name`; false when it does not fit.
bool FixedPath(const STRUCT_TRACER* record, const char* name, char* path) {
  TextBuffer b = MakeTextBuffer(path, kPathBytes);
  if (record->fixTableDir != nullptr) TextAppend(&b, record->fixTableDir);
  TextAppend(&b, name);
  return b.length + 1 < kPathBytes;
}

bool WriteNewTable(const char* path) {
  uint32_t handle = 0, size = 0;
  if (FspOpen(path, kFspOpenCreate, &handle, &size) != kStatusOk) return false;
  const bool written = FspWrite(handle, kFixedTableReset, sizeof kFixedTableReset) == kStatusOk;
  const bool closed = FspClose(handle) == kStatusOk;  // closed whatever the write did
  if (!written || !closed) FspDelete(path);
  return written && closed;
}

}  // namespace

bool ResetFixedTable(STRUCT_TRACER* record) {
  char fresh[kPathBytes], table[kPathBytes];
  if (!FixedPath(record, "TABFIX.NEW", fresh) || !FixedPath(record, "TABFIX.POS", table)) return false;
  if (!WriteNewTable(fresh)) return false;
  // Only a complete new table replaces the old one; a missing old one is fine.
  const int8_t deleted = FspDelete(table);
  if (deleted != kStatusOk && deleted != kStatusBadPath) return false;
  if (FspRename(fresh, table) != kStatusOk) return false;
  WriteHost<uint8_t>(record->axisIndex, 255);
  CallService0(record, record->writeFixHandle);
  return true;
}
