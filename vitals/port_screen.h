// The port screens: the PLC inputs and outputs of the I/O cassette and the
// operator panel's ports, each row a port byte as eight bits and two
// hexadecimal digits, the bits set by hand marked while the host reports
// manual I/O control. The bytes are read from host memory at every DATA.
#pragma once

#include <stdint.h>

#include "vitals/io_records.h"

enum class PortScreen { kInputs, kOutputs, kPanel };

// One row: its name and the host-memory offset of its byte; a group row
// stands for three bytes from there.
struct PortRow {
  char name[6];
  uint32_t offset;
  bool group;
};
constexpr int kPortListRows = 13;
struct PortList {
  PortRow rows[kPortListRows];
  int count;
};

// List `index` (0 to 3) of a screen; the panel has two lists (2 and 3
// come back empty).
PortList PortListOf(PortScreen screen, int index);

void PortPrefix(PortScreen screen, const _INOUT* record);
void PortData(PortScreen screen, const _INOUT* record);
