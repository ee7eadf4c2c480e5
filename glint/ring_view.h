// A snapshot of the host's sample ring, taken once per operation.
//
// The ring's fields come from the host and are not trusted: a null pointer,
// a length of 0, an index not below the length, or a ring whose 48 x length
// bytes would pass the end of 32-bit memory make the snapshot invalid, and
// an invalid ring reads as an empty recording. Nothing outside the ring's
// rows is ever read.
#pragma once

#include <stdint.h>

#include "glint/glint_record.h"

struct RingView {
  const GlintRow* rows = nullptr;
  uint32_t length = 0;
  uint32_t oldest = 0;
  uint32_t next = 0;  // one past the newest row
  bool valid = false;
};

RingView RingSnapshot(const _GLINT* record);
// Rows from the oldest up to (not including) the next one to be written.
uint32_t RingAvailable(const RingView& ring);
// Index `offset` rows after `index`, around the ring (valid rings only).
uint32_t RingAdvance(const RingView& ring, uint32_t index, uint64_t offset);
// Index `offset` rows before `index`, around the ring (valid rings only).
uint32_t RingBack(const RingView& ring, uint32_t index, uint64_t offset);
// Rows from `from` up to (not including) `to`, around the ring.
uint32_t RingDistance(const RingView& ring, uint32_t from, uint32_t to);
inline const GlintRow& RingRow(const RingView& ring, uint32_t index) { return ring.rows[index]; }
