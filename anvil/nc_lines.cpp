// Line stepping over the viewer's text, forwards and backwards alike.
#include "anvil/nc_lines.h"

namespace anvil {

uint32_t NcNextLine(const char* t, uint32_t n, uint32_t p) {
  while (p < n && !NcIsLineEnd(t[p])) ++p;
  if (p >= n) return n;
  ++p;
  if (p < n && NcIsLineEnd(t[p])) ++p;
  return p;
}

// Going back over a run of k line-end characters e..e+k-1 before p: the
// forward rule takes them two at a time, so empty lines start at e+2,
// e+4, ... below p (at e, e+2, ... when the run opens the text); with no
// such start the previous line is the one ending at e.
uint32_t NcPreviousLine(const char* t, uint32_t n, uint32_t p) {
  if (p > n) p = n;
  if (p == 0) return 0;
  uint32_t e = p;
  while (e > 0 && NcIsLineEnd(t[e - 1])) --e;
  uint32_t k = p - e;
  if (e == 0) return k == 0 ? 0 : 2 * ((k - 1) / 2);
  if (k >= 3) return e + 2 * ((k - 1) / 2);
  if (k == 0) return NcLineStartOf(t, p - 1);  // p lies inside a line
  return NcLineStartOf(t, e - 1);
}

uint32_t NcLineStartOf(const char* t, uint32_t p) {
  while (p > 0 && !NcIsLineEnd(t[p - 1])) --p;
  return p;
}

uint32_t NcForward(const char* t, uint32_t n, uint32_t p, uint32_t lines) {
  for (; lines > 0; --lines) {
    uint32_t next = NcNextLine(t, n, p);
    if (next >= n) break;
    p = next;
  }
  return p;
}

uint32_t NcBackward(const char* t, uint32_t n, uint32_t p, uint32_t lines) {
  for (; lines > 0 && p > 0; --lines) p = NcPreviousLine(t, n, p);
  return p;
}

uint32_t NcBlockHints(const char* t, uint32_t n, const NcBlock& block) {
  constexpr uint32_t kLook = 1000;
  uint32_t hints = 0;
  uint32_t stop = block.end + 1;
  if (stop > n) stop = n;
  if (stop - block.start > kLook) stop = block.start + kLook;
  for (uint32_t i = block.start + 1; i < stop && t[i] != 'N' && t[i] != 'n'; ++i) {
    if (t[i] != 'G' && t[i] != 'g') continue;
    uint32_t j = i + 1;
    while (j < stop && (t[j] == ' ' || t[j] == '\t')) ++j;
    uint32_t number = 0, digits = 0;
    for (; j < stop && t[j] >= '0' && t[j] <= '9' && digits < 9; ++j, ++digits) number = number * 10 + (t[j] - '0');
    if (digits > 0 && number == 70) hints |= kNcHintG70;
    if (digits > 0 && number == 71) hints |= kNcHintG71;
  }
  return hints;
}

}  // namespace anvil
