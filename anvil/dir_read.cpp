// Reading a directory into the entry table: local directories through the
// host's directory search, server directories through a listing file.
#include <string.h>

#include "anvil/anvil_init.h"
#include "anvil/attributes.h"
#include "anvil/dir_listing.h"
#include "anvil/file_panel.h"
#include "anvil/file_paths.h"
#include "anvil/ftp_link.h"
#include "anvil/panel_messages.h"
#include "anvil/text_lines.h"
#include "bridge/fsp.h"

namespace anvil {
namespace {

TextLines g_listing;
constexpr char kListingFile[] = "_FTPTEMP.BIN";

uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

void FreeTable(Panel& p) {
  if (p.entries != nullptr) AnvilFree(Address(p.entries));
  if (p.listed != nullptr) AnvilFree(Address(p.listed));
  p.entries = nullptr;
  p.listed = nullptr;
  p.count = 0;
}

bool AllocateTable(Panel& p) {
  FreeTable(p);
  uint32_t table = AnvilAlloc(kEntryTableBytes);
  if (table == 0) return false;
  uint32_t names = AnvilAlloc(kMaxEntries * kListedNameSize);
  if (names == 0) {
    AnvilFree(table);
    return false;
  }
  p.entries = reinterpret_cast<DirEntry*>(static_cast<uintptr_t>(table));
  p.listed = reinterpret_cast<ListedName*>(static_cast<uintptr_t>(names));
  return true;
}

bool FilterTakesAll(const char* filter) { return filter[0] == '\0' || strcmp(filter, "*") == 0; }

enum class Store { kTaken, kSkipped, kFull };

// Applies the panel's rules to one listed entry and stores it.
Store StoreEntry(Panel& p, DirEntry e, const char* name, uint32_t length) {
  const _DIR_INFO& info = *p.info;
  if (length == 0 || length > kListedNameMax) return Store::kSkipped;
  char listed[kListedNameSize];
  memcpy(listed, name, length);
  listed[length] = '\0';
  bool directory = (e.flags & kEntryDirectory) != 0;
  if (strcmp(listed, ".") == 0) return Store::kSkipped;
  bool local = !IsFtpPath(info.path);
  if (strcmp(listed, "..") == 0 && local && info.mode != 6 && info.root != nullptr &&
      EqualNoCase(info.path, info.root))
    return Store::kSkipped;
  if (directory && info.mode != 1 && info.mode != 6) return Store::kSkipped;
  SetEntryName(&e, listed, directory);
  char filter[4];
  memcpy(filter, info.filter, 3);
  filter[3] = '\0';
  if (!directory && !FilterTakesAll(filter) && !EqualNoCase(e.extension, filter))
    return Store::kSkipped;
  if (info.mode != 6) {
    char full[kPathSize + kListedNameSize];
    JoinText(full, sizeof full, info.path, listed);
    if (AttributeOfPath(full) == kAttrHidden) return Store::kSkipped;
  }
  if (p.count >= kMaxEntries) {
    RaiseHostMessage(kMsgTooManyEntries);
    return Store::kFull;
  }
  e.flags &= kEntryDirectory;
  p.entries[p.count] = e;
  memcpy(p.listed[p.count], listed, length + 1);
  ++p.count;
  return Store::kTaken;
}

#pragma pack(push, 1)
struct ListRecordHead {
  uint16_t length;
  uint32_t directory;
  uint16_t time;
  uint16_t date;
  uint32_t size;
};
#pragma pack(pop)
static_assert(sizeof(ListRecordHead) == 14);

bool ReadLocal(Panel& p) {
  char pattern[kPathSize + 4];
  if (!JoinText(pattern, sizeof pattern, p.info->path, "*.*")) return false;
  uint32_t handle = 0, entries = 0;
  if (FspListOpen(pattern, &handle, &entries) != kStatusOk) return false;
  bool ok = true;
  for (;;) {
    ListRecordHead head;
    uint16_t count = 0;
    int8_t status = FspRead(handle, &head, sizeof head, &count);
    if (status != kStatusOk && status != kStatusEndOfFile) ok = false;
    if (!ok || count < sizeof head || head.length <= sizeof head) break;
    char name[256];
    uint16_t rest = static_cast<uint16_t>(head.length - sizeof head);
    if (rest > sizeof name) {
      ok = false;
      break;
    }
    status = FspRead(handle, name, rest, &count);
    if ((status != kStatusOk && status != kStatusEndOfFile) || count != rest) {
      ok = false;
      break;
    }
    name[rest - 1] = '\0';
    DirEntry e;
    memset(&e, 0, sizeof e);
    e.flags = head.directory != 0 ? kEntryDirectory : 0;
    e.size = head.directory != 0 ? 0 : head.size;
    e.hour = static_cast<uint8_t>(head.time >> 11);
    e.minute = static_cast<uint8_t>((head.time >> 5) & 63);
    e.day = static_cast<uint8_t>(head.date & 31);
    e.month = static_cast<uint8_t>((head.date >> 5) & 15);
    e.year = static_cast<uint16_t>(1980 + (head.date >> 9));
    if (StoreEntry(p, e, name, static_cast<uint32_t>(strlen(name))) == Store::kFull) break;
  }
  if (FspClose(handle) != kStatusOk) ok = false;
  return ok;
}

enum class ListResult { kRead, kUnparsable, kFailed };

ListResult ListServer(Panel& p, bool long_form) {
  char local[kPathSize + 16];
  const char* system = AnvilRecord().system_directory;
  if (!JoinText(local, sizeof local, system != nullptr ? system : "", kListingFile) ||
      strlen(local) > kFtpArgumentMax)
    return ListResult::kFailed;
  if (!FtpList(long_form, local)) return ListResult::kFailed;
  if (!TextLinesOpen(&g_listing, local)) return ListResult::kFailed;
  ListResult result = ListResult::kRead;
  while (TextLinesNext(&g_listing)) {
    if (g_listing.length == 0) break;  // an empty line ends the listing
    DirEntry e;
    const char* name = nullptr;
    uint32_t length = 0;
    if (long_form) {
      if (!ParseLongListingLine(g_listing.line, g_listing.length, &e, &name, &length)) {
        result = ListResult::kUnparsable;
        break;
      }
    } else {
      ParseNamesOnlyLine(g_listing.line, g_listing.length, &e, &name, &length);
    }
    if (StoreEntry(p, e, name, length) == Store::kFull) break;
  }
  if (g_listing.failed) result = ListResult::kFailed;
  if (!TextLinesClose(&g_listing) && result == ListResult::kRead) result = ListResult::kFailed;
  return result;
}

bool ReadServer(Panel& p) {
  // The server may have logged in anew (its idle logout) and stand in its
  // login directory: set the panel's directory first.
  if (!p.server_path_set) {
    char server[kPathSize];
    if (!ServerPath(p.info->path, nullptr, server, sizeof server)) return false;
    if (!FtpCwd(server)) return false;
  }
  if (p.long_listing) {
    ListResult r = ListServer(p, true);
    if (r == ListResult::kRead) return true;
    if (r == ListResult::kFailed) return false;
    // A line the fixed columns do not fit: names-only listings from now on.
    p.count = 0;
    p.long_listing = false;
  }
  return ListServer(p, false) == ListResult::kRead;
}

}  // namespace

bool IsProgramFile(const DirEntry& e) {
  return (e.flags & kEntryDirectory) == 0 && EqualNoCase(e.extension, "ncp");
}

void ReadDirectory(Panel& p) {
  _DIR_INFO& info = *p.info;
  info.path[kPathSize - 1] = '\0';
  info.ftp = IsFtpPath(info.path) ? 1 : 0;
  p.marked = 0;
  p.marked_size = 0;
  p.names_read = 0;
  bool ok = AllocateTable(p);
  if (ok) ok = info.ftp ? ReadServer(p) : ReadLocal(p);
  p.server_path_set = false;
  if (!ok) {
    p.count = 0;
    RaiseHostMessage(kMsgReadFailed);
  }
  SortEntries(p);
  if (p.cursor >= p.count) p.cursor = p.count > 0 ? p.count - 1 : 0;
  PlaceCursor(p, p.after_name);
  p.after_name[0] = '\0';
  if (p.count == 0 && ok) RaiseHostMessage(kMsgDirectoryEmpty);
  PublishCursor(p);
}

void PlaceCursor(Panel& p, const char* name) {
  if (name != nullptr && name[0] != '\0') {
    for (uint32_t i = 0; i < p.count; ++i)
      if (strcmp(p.listed[i], name) == 0) {
        p.cursor = i;
        break;
      }
  }
  if (p.cursor >= p.count) p.cursor = p.count > 0 ? p.count - 1 : 0;
  uint32_t rows = p.visible_rows > 0 ? p.visible_rows : 1;
  if (p.cursor < p.first_visible) p.first_visible = p.cursor;
  if (p.cursor >= p.first_visible + rows) p.first_visible = p.cursor - rows + 1;
  if (p.first_visible + rows > p.count) p.first_visible = p.count > rows ? p.count - rows : 0;
}

void PublishCursor(Panel& p) {
  _DIR_INFO& info = *p.info;
  memset(info.name, 0, sizeof info.name);
  info.is_file = 0;
  if (p.count == 0) return;
  const DirEntry& e = p.entries[p.cursor];
  uint32_t n = 0;
  for (const char* c = e.short_name; *c != '\0' && n < 8; ++c) info.name[n++] = *c;
  if (e.extension[0] != '\0') {
    info.name[n++] = '.';
    for (const char* c = e.extension; *c != '\0' && n < 12; ++c) info.name[n++] = *c;
  }
  info.is_file = (e.flags & kEntryDirectory) == 0 ? 1 : 0;
}

bool EnterDirectory(Panel& p, const char* name) {
  _DIR_INFO& info = *p.info;
  char target[kPathSize];
  char came_from[kListedNameSize] = {};
  bool up = strcmp(name, "..") == 0;
  if (up) {
    // The path without its last component ("c:\a\b\" -> "c:\a\").
    size_t n = strlen(info.path);
    if (n < 2) return false;
    size_t cut = n - 1;
    while (cut > 0 && info.path[cut - 1] != '\\') --cut;
    if (cut == 0) return false;
    memcpy(came_from, info.path + cut, n - 1 - cut);
    came_from[n - 1 - cut] = '\0';
    memcpy(target, info.path, cut);
    target[cut] = '\0';
  } else {
    if (strlen(info.path) + strlen(name) > 60) return false;
    JoinText(target, sizeof target, info.path, name);
    JoinText(target, sizeof target, target, "\\");
  }
  if (IsFtpPath(info.path)) {
    char server[kPathSize];
    char answer[100];
    char panel_path[kPathSize];
    if (!ServerPath(target, nullptr, server, sizeof server)) return false;
    if (!FtpCwd(server)) return false;
    if (!FtpPwd(answer, sizeof answer) || !PanelPathFromPwd(answer, panel_path, sizeof panel_path)) {
      RaiseHostMessage(kMsgReadFailed);
      return false;
    }
    CopyText(info.path, sizeof info.path, panel_path);
    p.server_path_set = true;
  } else {
    CopyText(info.path, sizeof info.path, target);
  }
  p.cursor = 0;
  p.first_visible = 0;
  CopyText(p.after_name, sizeof p.after_name, came_from);
  ReadDirectory(p);
  return true;
}

bool ReadProgramName(Panel& p, uint32_t index) {
  DirEntry& e = p.entries[index];
  char path[kPathSize + kListedNameSize];
  if (p.info->ftp || !JoinText(path, sizeof path, p.info->path, p.listed[index])) return false;
  uint32_t handle = 0, size = 0;
  if (FspOpen(path, kFspOpenRead, &handle, &size) != kStatusOk) return false;
  char head[513];
  uint16_t count = 0;
  int8_t status = FspRead(handle, head, 512, &count);
  FspClose(handle);
  if (status != kStatusOk && status != kStatusEndOfFile) return false;
  head[count] = '\0';
  // The header line: '%', the program number, then its name.
  for (uint32_t i = 0; i < count; ++i) {
    if (head[i] != '%' || (i > 0 && head[i - 1] != '\n' && head[i - 1] != '\r')) continue;
    uint32_t k = i + 1;
    while (k < count && head[k] >= '0' && head[k] <= '9') ++k;
    while (k < count && (head[k] == ' ' || head[k] == '\t')) ++k;
    uint32_t end = k;
    while (end < count && head[end] != '\r' && head[end] != '\n') ++end;
    while (end > k && (head[end - 1] == ' ' || head[end - 1] == '\t')) --end;
    if (end - k > 29) end = k + 29;
    memset(e.long_name, 0, sizeof e.long_name);
    memcpy(e.long_name, head + k, end - k);
    return true;
  }
  return false;
}

}  // namespace anvil
