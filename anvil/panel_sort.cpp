// Order of the entry table: ".." on top, directories by short name and
// extension, then files in the panel's sort mode (1 short name, 2 newest
// first, 3 the newest file first and the rest by short name, 4 long name).
// Names compare upper-cased, a prefix first. Equal entries keep their
// listed order.
#include <string.h>

#include "anvil/file_panel.h"
#include "anvil/file_paths.h"

namespace anvil {
namespace {

uint16_t g_order[kMaxEntries];
uint16_t g_scratch[kMaxEntries];
uint8_t g_placed[kMaxEntries / 8 + 1];

struct SortContext {
  const Panel* panel;
  int32_t newest;  // mode 3: index of the newest file, -1 when none
};

bool IsParent(const Panel& p, uint32_t i) { return strcmp(p.listed[i], "..") == 0; }
bool IsDirectory(const DirEntry& e) { return (e.flags & kEntryDirectory) != 0; }

int CompareDates(const DirEntry& a, const DirEntry& b) {
  const int fa[5] = {a.year, a.month, a.day, a.hour, a.minute};
  const int fb[5] = {b.year, b.month, b.day, b.hour, b.minute};
  for (int i = 0; i < 5; ++i)
    if (fa[i] != fb[i]) return fa[i] < fb[i] ? -1 : 1;
  return 0;
}

int CompareShort(const DirEntry& a, const DirEntry& b) {
  int c = CompareNames(a.short_name, b.short_name);
  return c != 0 ? c : CompareNames(a.extension, b.extension);
}

// Negative when entry i goes before entry j.
int Compare(const SortContext& s, uint32_t i, uint32_t j) {
  const Panel& p = *s.panel;
  const DirEntry& a = p.entries[i];
  const DirEntry& b = p.entries[j];
  bool pa = IsParent(p, i), pb = IsParent(p, j);
  if (pa != pb) return pa ? -1 : 1;
  if (IsDirectory(a) != IsDirectory(b)) return IsDirectory(a) ? -1 : 1;
  int c = 0;
  if (IsDirectory(a)) {
    c = CompareShort(a, b);
  } else {
    switch (p.sort_mode) {
      case 2: c = -CompareDates(a, b); break;
      case 3:
        if (static_cast<int32_t>(i) == s.newest || static_cast<int32_t>(j) == s.newest)
          c = static_cast<int32_t>(i) == s.newest ? -1 : 1;
        else
          c = CompareShort(a, b);
        break;
      case 4:
        c = CompareNames(a.long_name, b.long_name);
        if (c == 0) c = CompareNames(a.extension, b.extension);
        break;
      default: c = CompareShort(a, b); break;
    }
  }
  return c != 0 ? c : (i < j ? -1 : i > j ? 1 : 0);
}

// Bottom-up merge sort of the index array.
void SortOrder(const SortContext& s, uint32_t n) {
  for (uint32_t width = 1; width < n; width *= 2) {
    for (uint32_t lo = 0; lo < n; lo += 2 * width) {
      uint32_t mid = lo + width < n ? lo + width : n;
      uint32_t hi = lo + 2 * width < n ? lo + 2 * width : n;
      uint32_t a = lo, b = mid, k = lo;
      while (a < mid && b < hi) g_scratch[k++] = Compare(s, g_order[a], g_order[b]) <= 0 ? g_order[a++] : g_order[b++];
      while (a < mid) g_scratch[k++] = g_order[a++];
      while (b < hi) g_scratch[k++] = g_order[b++];
    }
    memcpy(g_order, g_scratch, n * sizeof g_order[0]);
  }
}

// Moves the entries (and their listed names) into the sorted order: slot i
// receives the entry that was at g_order[i], one cycle at a time.
void Permute(Panel& p, uint32_t n) {
  memset(g_placed, 0, sizeof g_placed);
  for (uint32_t start = 0; start < n; ++start) {
    if ((g_placed[start / 8] >> (start % 8)) & 1) continue;
    DirEntry entry = p.entries[start];
    ListedName name;
    memcpy(name, p.listed[start], sizeof name);
    uint32_t slot = start;
    for (;;) {
      g_placed[slot / 8] |= static_cast<uint8_t>(1 << (slot % 8));
      uint32_t from = g_order[slot];
      if (from == start) {
        p.entries[slot] = entry;
        memcpy(p.listed[slot], name, sizeof name);
        break;
      }
      p.entries[slot] = p.entries[from];
      memcpy(p.listed[slot], p.listed[from], sizeof name);
      slot = from;
    }
  }
}

}  // namespace

int CompareNames(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char ca = Upper(*a), cb = Upper(*b);
    if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb) ? -1 : 1;
    if (ca == '\0') return 0;
  }
}

void SortEntries(Panel& p) {
  uint32_t n = p.count;
  if (n < 2) return;
  SortContext s{&p, -1};
  for (uint32_t i = 0; i < n; ++i) {
    g_order[i] = static_cast<uint16_t>(i);
    if (p.sort_mode == 3 && !IsDirectory(p.entries[i]) &&
        (s.newest < 0 || CompareDates(p.entries[i], p.entries[s.newest]) > 0))
      s.newest = static_cast<int32_t>(i);
  }
  SortOrder(s, n);
  Permute(p, n);
}

}  // namespace anvil
