// The block index: scan, stable sort and search.
#include "anvil/nc_index.h"

#include <algorithm>

namespace anvil {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

uint32_t SkipBlanks(const char* t, uint32_t n, uint32_t i) {
  while (i < n && IsBlank(t[i])) ++i;
  return i;
}

// A decimal number with an optional sign at t[i]; *after is the offset past
// its last digit. Too many digits saturate rather than wrap, so a long
// number never reads as a small one.
bool ReadNumber(const char* t, uint32_t n, uint32_t i, int32_t* value, uint32_t* after) {
  bool negative = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  if (i >= n || !IsDigit(t[i])) return false;
  int64_t v = 0;
  for (; i < n && IsDigit(t[i]); ++i) {
    v = v * 10 + (t[i] - '0');
    if (v > INT32_MAX) v = INT32_MAX;
  }
  *value = static_cast<int32_t>(negative ? -v : v);
  *after = i;
  return true;
}

bool Before(const NcBlock& a, const NcBlock& b) { return a.number < b.number; }

void InsertionSort(NcBlock* e, uint32_t n) {
  for (uint32_t i = 1; i < n; ++i) {
    NcBlock x = e[i];
    uint32_t j = i;
    for (; j > 0 && Before(x, e[j - 1]); --j) e[j] = e[j - 1];
    e[j] = x;
  }
}

// Merges the sorted runs e[0, n1) and e[n1, n) through scratch (n1 entries).
void MergeBuffered(NcBlock* e, uint32_t n1, uint32_t n, NcBlock* scratch) {
  std::copy(e, e + n1, scratch);
  uint32_t a = 0, b = n1, out = 0;
  while (a < n1 && b < n) e[out++] = Before(e[b], scratch[a]) ? e[b++] : scratch[a++];
  while (a < n1) e[out++] = scratch[a++];
}

// The same merge without memory: split, rotate the middle, recurse.
void MergeInPlace(NcBlock* e, uint32_t n1, uint32_t n2) {
  if (n1 == 0 || n2 == 0) return;
  if (n1 + n2 == 2) {
    if (Before(e[1], e[0])) std::swap(e[0], e[1]);
    return;
  }
  NcBlock* cut1;
  NcBlock* cut2;
  if (n1 > n2) {
    cut1 = e + n1 / 2;
    cut2 = std::lower_bound(e + n1, e + n1 + n2, *cut1, Before);
  } else {
    cut2 = e + n1 + n2 / 2;
    cut1 = std::upper_bound(e, e + n1, *cut2, Before);
  }
  uint32_t left1 = static_cast<uint32_t>(cut1 - e);
  uint32_t left2 = static_cast<uint32_t>(cut2 - (e + n1));
  std::rotate(cut1, e + n1, cut2);
  MergeInPlace(e, left1, left2);
  MergeInPlace(e + left1 + left2, n1 - left1, n2 - left2);
}

void Sort(NcBlock* e, uint32_t n, NcBlock* scratch) {
  if (n <= 16) {
    InsertionSort(e, n);
    return;
  }
  uint32_t half = n / 2;
  Sort(e, half, scratch);
  Sort(e + half, n - half, scratch);
  if (!Before(e[half], e[half - 1])) return;  // already in order: ascending input costs n
  if (scratch != nullptr) MergeBuffered(e, half, n, scratch);
  else MergeInPlace(e, half, n - half);
}

}  // namespace

void NcScanBlocks(const char* t, uint32_t n, NcScan* s) {
  s->found = s->count = s->header_end = 0;
  bool header = false, quoted = false;
  bool open = false;  // the last kept entry has no end yet
  uint32_t i = 0;
  while (i < n && t[i] != '*') {
    char c = t[i];
    if (!header) {
      uint32_t j = SkipBlanks(t, n, i + 1);
      if (c == '%' && j < n && IsDigit(t[j])) {
        header = true;
        while (j < n && !IsLineEnd(t[j]) && t[j] != '*') ++j;
        s->header_end = j;
        i = j;
      } else {
        ++i;
      }
      continue;
    }
    if (c == '"') {
      quoted = !quoted;
    } else if (IsLineEnd(c)) {
      quoted = false;
    } else if ((c == 'N' || c == 'n') && !quoted) {
      int32_t number = 0;
      uint32_t after = 0;
      if (ReadNumber(t, n, SkipBlanks(t, n, i + 1), &number, &after)) {
        if (open) s->entries[s->count - 1].end = i - 1;
        open = false;
        if (number != 0) {
          ++s->found;
          if (s->count < s->capacity) {
            s->entries[s->count++] = NcBlock{i, number, i};
            open = true;
          }
        }
        i = after;
        continue;
      }
    }
    ++i;
  }
  if (open) s->entries[s->count - 1].end = i - 1;
}

void NcSortBlocks(NcBlock* entries, uint32_t count, NcBlock* scratch, uint32_t scratch_count) {
  if (entries == nullptr || count < 2) return;
  Sort(entries, count, scratch_count >= (count + 1) / 2 ? scratch : nullptr);
}

int32_t NcFindBlock(const NcBlock* entries, uint32_t count, int32_t number) {
  if (entries == nullptr || count == 0) return -1;
  uint32_t lo = 0;
  while (count > 1) {
    uint32_t half = count / 2;
    if (number < entries[lo + half].number) {
      count = half;
    } else {
      lo += half;
      count -= half;
    }
  }
  return entries[lo].number == number ? static_cast<int32_t>(lo) : -1;
}

}  // namespace anvil
