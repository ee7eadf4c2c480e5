// Fuzz target: the ISO block interpreter (word layer of the ISO program
// view) over arbitrary programs.
//
// Input: byte 0 chooses the settings (bits 0-1 the axis letters XY, XZ, ZX
// or UV; bit 2 swapped arcs, bit 3 swapped centres, bit 4 diameters); the
// rest is the program, split into blocks at CR and LF. Every block is
// normalised and interpreted under the modal state carried from block to
// block, from the point reached so far, each from an exact-size copy.
#include "fuzz/fuzz_check.h"
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "kerf/iso_block.h"

namespace {

void CheckNumbers(const char* block) {
  // Every word's number: the cursor moves forward and stays in the block.
  size_t n = strlen(block);
  for (const char* p = block; *p != '\0'; ++p) {
    const char* cursor = p + 1;
    double value = 0;
    bool ok = ReadIsoNumber(&cursor, &value);
    FUZZ_CHECK(cursor >= p + 1 && cursor <= block + n);
    if (!ok) FUZZ_CHECK(value == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const char kAxes[4][2] = {{'X', 'Y'}, {'X', 'Z'}, {'Z', 'X'}, {'U', 'V'}};
  IsoSettings settings{};
  settings.axis[0] = kAxes[data[0] & 3][0];
  settings.axis[1] = kAxes[data[0] & 3][1];
  settings.swap_arcs = (data[0] & 4) != 0;
  settings.swap_centres = (data[0] & 8) != 0;
  settings.diameter = (data[0] & 16) != 0;
  IsoModal modal{};
  double x = 0, y = 0;
  size_t at = 1;
  while (at < size) {
    size_t end = at;
    while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
    std::vector<char> block(data + at, data + end);
    block.push_back('\0');
    size_t before = strlen(block.data());
    NormalizeIsoBlock(block.data());
    size_t after = strlen(block.data());
    FUZZ_CHECK(after <= before);
    FUZZ_CHECK(strpbrk(block.data(), " \t\"") == nullptr);
    CheckNumbers(block.data());
    IsoMove move = InterpretIsoBlock(block.data(), settings, &modal, x, y);
    FUZZ_CHECK(move.kind <= IsoMoveKind::kCounterClockwise);
    FUZZ_CHECK(modal.motion <= IsoMotion::kCounterClockwise);
    if (move.kind != IsoMoveKind::kNone) {
      FUZZ_CHECK(modal.started);
      x += move.dx;
      y += move.dy;
    }
    at = end + 1;
  }
  return 0;
}
