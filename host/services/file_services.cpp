#include "host/services/file_services.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "host/services/dispatch.h"

namespace host {

namespace {

const char* const kSlotNames[14] = {"fsp.close", "fsp.copy", "fsp.mkdir", "fsp.listopen",
                                    "fsp.open", "fsp.delete", "fsp.getinfo", "fsp.read",
                                    "fsp.rmdir", "fsp.rename", "fsp.slot10", "fsp.write",
                                    "fsp.slot12", "fsp.seek"};

bool ValidComponent(const std::string& c) {
  if (c.empty() || c == "." || c == "..") return false;
  for (unsigned char ch : c)
    if (ch < 0x20 || strchr("<>:\"|?*", ch) != nullptr) return false;
  return true;
}

// Finds an entry of `dir` equal to `name` without regard to case.
std::string MatchCase(const std::string& dir, const std::string& name) {
  struct stat st;
  if (stat((dir + "/" + name).c_str(), &st) == 0) return name;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return name;
  std::string found = name;
  while (dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  closedir(d);
  return found;
}

void WriteStatus(void* cell, int8_t status) {
  if (cell == nullptr) return;
  uint32_t value = static_cast<uint32_t>(static_cast<int32_t>(status));
  memcpy(cell, &value, 4);
}

bool CopyFile(const std::string& from, const std::string& to) {
  int in = open(from.c_str(), O_RDONLY);
  if (in < 0) return false;
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0) {
    close(in);
    return false;
  }
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = read(in, buf, sizeof buf);
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    if (write(out, buf, static_cast<size_t>(n)) != n) {
      ok = false;
      break;
    }
  }
  close(in);
  if (close(out) != 0) ok = false;
  return ok;
}

}  // namespace

void DosTimeDate(long long unix_seconds, uint16_t* time_out, uint16_t* date_out) {
  time_t t = static_cast<time_t>(unix_seconds);
  struct tm tm;
  localtime_r(&t, &tm);
  int year = tm.tm_year + 1900 - 1980;
  if (year < 0) year = 0;
  if (year > 127) year = 127;
  *time_out = static_cast<uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
  *date_out = static_cast<uint16_t>((year << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
}

FileServices::FileServices(std::string sandbox_root) : root_(std::move(sandbox_root)) {
  table_.size = sizeof(FSP_INIT_PARAMS);
  table_.dispatch = HostDispatchEntry;
  for (int slot = 0; slot < 14; ++slot) {
    handles_[slot] = RegisterService(kSlotNames[slot], [this, slot](int count, va_list args) {
      return Call(slot, count, args);
    });
    table_.handles[slot] = handles_[slot];
  }
}

FileServices::~FileServices() {
  for (auto& [handle, open] : open_) {
    if (open.fd >= 0) close(open.fd);
    if (!open.pending.empty()) unlink(open.pending.c_str());
  }
  rmdir((root_ + "/.pending").c_str());
  for (uint32_t h : handles_) UnregisterService(h);
}

FSP_INIT_PARAMS FileServices::TableWithSize(uint16_t bytes) const {
  FSP_INIT_PARAMS t = table_;
  t.size = bytes;
  return t;
}

std::string FileServices::Resolve(const std::string& dos_path) const {
  const bool has_drive = dos_path.size() >= 2 && dos_path[1] == ':';
  if (!has_drive && current_dir_.size() >= 2 && current_dir_[1] == ':' && !dos_path.empty() && dos_path[0] != '\\' && dos_path[0] != '/') {
    const char last = current_dir_.back();
    return Resolve(current_dir_ + (last == '\\' || last == '/' ? "" : "\\") + dos_path);
  }
  if (dos_path.size() < 3 || dos_path[1] != ':' || !isalpha(static_cast<unsigned char>(dos_path[0])))
    return "";
  if (dos_path[2] != '\\' && dos_path[2] != '/') return "";
  std::string path = root_ + "/" + static_cast<char>(tolower(dos_path[0]));
  size_t start = 3;
  while (start <= dos_path.size()) {
    size_t end = dos_path.find_first_of("\\/", start);
    if (end == std::string::npos) end = dos_path.size();
    std::string component = dos_path.substr(start, end - start);
    bool last = end == dos_path.size();
    if (component.empty() && last) break;  // trailing separator
    if (!ValidComponent(component)) return "";
    path += "/" + MatchCase(path, component);
    start = end + 1;
  }
  return path;
}

void FileServices::FailCall(int slot, int nth, int8_t status) {
  faults_[slot].push_back({nth, status, false, -1});
}
void FileServices::FailDispatch(int slot, int nth) { faults_[slot].push_back({nth, 0, true, -1}); }
void FileServices::ShortRead(int nth, uint16_t count) {
  faults_[kFspRead].push_back({nth, 0, false, count});
}
void FileServices::ClearFaults() { faults_.clear(); }

bool FileServices::TakeFault(int slot, int8_t* status, bool* dispatch_fails, int* short_count) {
  auto it = faults_.find(slot);
  if (it == faults_.end()) return false;
  bool fired = false;
  auto& list = it->second;
  for (size_t i = 0; i < list.size();) {
    if (--list[i].countdown == 0) {
      fired = true;
      *status = list[i].status;
      *dispatch_fails = list[i].dispatch_fails;
      *short_count = list[i].short_count;
      list.erase(list.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
  return fired;
}

uint32_t FileServices::NewHandle(Open open) {
  uint32_t h = next_handle_++;
  open_[h] = std::move(open);
  return h;
}

int FileServices::Call(int slot, int count, va_list args) {
  calls_[slot]++;
  int8_t fault_status = 0;
  bool dispatch_fails = false;
  int short_count = -1;
  bool fault = TakeFault(slot, &fault_status, &dispatch_fails, &short_count);
  if (fault && dispatch_fails) return 0;
  bool fail_now = fault && short_count < 0;

  auto ptr = [&]() { return va_arg(args, void*); };
  auto u32 = [&]() { return va_arg(args, uint32_t); };
  int8_t status = kHostOk;
  void* status_cell = nullptr;
  switch (slot) {
    case kFspClose: {
      if (count != 5) return 0;
      uint32_t handle = u32();
      ptr();
      status_cell = ptr();
      status = fail_now ? fault_status : Close(handle);
      break;
    }
    case kFspCopy: {
      if (count != 4) return 0;
      const char* from = static_cast<const char*>(ptr());
      const char* to = static_cast<const char*>(ptr());
      ptr();
      status_cell = ptr();
      status = fail_now ? fault_status : Copy(from, to);
      break;
    }
    case kFspMakeDir:
    case kFspDelete:
    case kFspRemoveDir: {
      if (count != 3) return 0;
      const char* path = static_cast<const char*>(ptr());
      ptr();
      status_cell = ptr();
      if (fail_now) status = fault_status;
      else if (slot == kFspMakeDir) status = MakeDir(path);
      else if (slot == kFspDelete) status = Delete(path);
      else status = RemoveDir(path);
      break;
    }
    case kFspListOpen: {
      if (count != 5) return 0;
      const char* pattern = static_cast<const char*>(ptr());
      ptr();
      auto* handle = static_cast<uint32_t*>(ptr());
      auto* entries = static_cast<uint32_t*>(ptr());
      status_cell = ptr();
      status = fail_now ? fault_status : ListOpen(pattern, handle, entries);
      break;
    }
    case kFspOpen: {
      if (count != 5) return 0;
      const char* path = static_cast<const char*>(ptr());
      uint32_t mode = u32();
      auto* handle = static_cast<uint32_t*>(ptr());
      auto* size = static_cast<uint32_t*>(ptr());
      status_cell = ptr();
      status = fail_now ? fault_status : OpenFile(path, mode, handle, size);
      break;
    }
    case kFspGetInfo: {
      if (count != 4) return 0;
      const char* path = static_cast<const char*>(ptr());
      ptr();
      auto* record = static_cast<FileInfoRecord*>(ptr());
      status_cell = ptr();
      status = fail_now ? fault_status : GetInfo(path, record);
      break;
    }
    case kFspRead: {
      if (count != 2) return 0;
      uint32_t handle = u32();
      auto* block = static_cast<FSP_READ_BLOCK*>(ptr());
      if (block == nullptr) return 0;
      if (fail_now) {
        block->count = 0;
        block->status = static_cast<uint8_t>(fault_status);
      } else {
        block->status = static_cast<uint8_t>(Read(handle, block, short_count));
      }
      return 1;
    }
    case kFspRename: {
      if (count != 4) return 0;
      const char* from = static_cast<const char*>(ptr());
      const char* to = static_cast<const char*>(ptr());
      ptr();
      status_cell = ptr();
      status = fail_now ? fault_status : Rename(from, to);
      break;
    }
    case kFspWrite: {
      if (count != 2) return 0;
      uint32_t handle = u32();
      auto* block = static_cast<FSP_WRITE_BLOCK*>(ptr());
      if (block == nullptr) return 0;
      block->status = static_cast<uint8_t>(fail_now ? fault_status : Write(handle, block));
      auto it = open_.find(handle);
      if (block->status != kHostOk && it != open_.end()) it->second.failed = true;
      return 1;
    }
    case kFspSlot10:
    case kFspSlot12: {
      // Offered but without meaning here: they succeed and do nothing.
      if (count != 5) return 0;
      ptr(); ptr(); ptr(); ptr();
      status_cell = ptr();
      status = fail_now ? fault_status : static_cast<int8_t>(kHostOk);
      break;
    }
    case kFspSeek: {
      if (count != 5) return 0;
      uint32_t handle = u32();
      int32_t offset = static_cast<int32_t>(u32());
      uint32_t origin = u32();
      auto* position = static_cast<uint32_t*>(ptr());
      status_cell = ptr();
      status = fail_now ? fault_status : Seek(handle, offset, origin, position);
      break;
    }
    default:
      return 0;
  }
  WriteStatus(status_cell, status);
  return 1;
}

int8_t FileServices::Close(uint32_t handle) {
  auto it = open_.find(handle);
  if (it == open_.end()) return kHostBadHandle;
  int8_t status = kHostOk;
  Open& f = it->second;
  if (f.fd >= 0 && close(f.fd) != 0) status = kHostIoError;
  if (!f.pending.empty()) {
    if (status != kHostOk || f.failed) unlink(f.pending.c_str());
    else if (::rename(f.pending.c_str(), f.replaces.c_str()) != 0) status = kHostIoError;
  }
  open_.erase(it);
  return status;
}

int8_t FileServices::Copy(const char* from, const char* to) {
  std::string a = Resolve(from ? from : ""), b = Resolve(to ? to : "");
  if (a.empty() || b.empty()) return kHostBadPath;
  struct stat st;
  if (stat(a.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return kHostBadPath;
  uint64_t bytes = static_cast<uint64_t>(st.st_size);
  if (!WithinWriteLimit(bytes)) return kHostIoError;
  if (!CopyFile(a, b)) return kHostIoError;
  Written(bytes);
  return kHostOk;
}

bool FileServices::WithinWriteLimit(uint64_t bytes) {
  if (write_limit_ == 0 || bytes <= write_limit_ - std::min(bytes_written_, write_limit_)) return true;
  write_limit_reached_ = true;
  return false;
}

void FileServices::Written(uint64_t bytes) {
  bytes_written_ += bytes;
  if (write_observer_) write_observer_(bytes_written_);
}

int8_t FileServices::MakeDir(const char* path) {
  std::string p = Resolve(path ? path : "");
  if (p.empty()) return kHostBadPath;
  if (mkdir(p.c_str(), 0755) == 0) return kHostOk;
  return errno == EEXIST ? kHostExists : kHostBadPath;
}

int8_t FileServices::ListOpen(const char* pattern, uint32_t* handle, uint32_t* entries) {
  std::string dos = pattern ? pattern : "";
  size_t cut = dos.find_last_of("\\/");
  if (cut == std::string::npos) return kHostBadPath;
  std::string dir_dos = dos.substr(0, cut + 1), mask = dos.substr(cut + 1);
  if (mask.empty() || mask == "*.*") mask = "*";
  std::string dir = Resolve(dir_dos);
  if (dir.empty()) return kHostBadPath;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return kHostBadPath;
  Open listing;
  listing.is_listing = true;
  uint32_t n = 0;
  // Below a drive's root the search starts with "." and "..", as DOS does.
  std::vector<std::string> names;
  bool below_root = dir_dos.find_first_of("\\/", 3) != std::string::npos;
  if (below_root) {
    if (fnmatch(mask.c_str(), ".", 0) == 0) names.push_back(".");
    if (fnmatch(mask.c_str(), "..", 0) == 0) names.push_back("..");
  }
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
    names.push_back(name);
  }
  closedir(d);
  for (const std::string& name : names) {
    struct stat st;
    if (stat((dir + "/" + name).c_str(), &st) != 0) continue;
    uint16_t t = 0, dt = 0;
    DosTimeDate(st.st_mtime, &t, &dt);
    uint16_t length = static_cast<uint16_t>(2 + 4 + 2 + 2 + 4 + name.size() + 1);
    uint32_t is_dir = S_ISDIR(st.st_mode) ? 1 : 0;
    uint32_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint32_t>(st.st_size);
    auto put = [&](const void* p, size_t k) {
      const uint8_t* b = static_cast<const uint8_t*>(p);
      listing.listing.insert(listing.listing.end(), b, b + k);
    };
    put(&length, 2);
    put(&is_dir, 4);
    put(&t, 2);
    put(&dt, 2);
    put(&size, 4);
    put(name.c_str(), name.size() + 1);
    ++n;
  }
  if (handle) *handle = NewHandle(std::move(listing));
  if (entries) *entries = n;
  return kHostOk;
}

int8_t FileServices::OpenFile(const char* path, uint32_t mode, uint32_t* handle, uint32_t* size) {
  std::string p = Resolve(path ? path : "");
  if (p.empty()) return kHostBadPath;
  int flags = 0;
  switch (mode) {
    case kFspOpenRead: flags = O_RDONLY; break;
    case kFspOpenAppend: flags = O_WRONLY; break;
    case kFspOpenRewrite: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    case kFspOpenCreate: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    default: return kHostUnsupported;
  }
  struct stat st;
  if (stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return kHostBadPath;
  Open f;
  if (mode == kFspOpenRewrite) {
    // The folder must exist; the new contents wait beside the sandbox.
    std::string folder = p.substr(0, p.find_last_of('/'));
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return kHostBadPath;
    mkdir((root_ + "/.pending").c_str(), 0755);
    f.replaces = p;
    f.pending = root_ + "/.pending/" + std::to_string(next_handle_);
    p = f.pending;
  }
  int fd = open(p.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0) return kHostBadPath;
  fstat(fd, &st);
  f.fd = fd;
  if (handle) *handle = NewHandle(std::move(f));
  if (size) *size = static_cast<uint32_t>(st.st_size);
  return kHostOk;
}

int8_t FileServices::Delete(const char* path) {
  std::string p = Resolve(path ? path : "");
  if (p.empty()) return kHostBadPath;
  struct stat st;
  if (stat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return kHostBadPath;
  return unlink(p.c_str()) == 0 ? kHostOk : kHostIoError;
}

int8_t FileServices::GetInfo(const char* path, FileInfoRecord* record) {
  std::string p = Resolve(path ? path : "");
  if (p.empty()) return kHostBadPath;
  struct stat st;
  if (stat(p.c_str(), &st) != 0) return kHostBadPath;
  if (record) {
    record->directory = S_ISDIR(st.st_mode) ? 1 : 0;
    DosTimeDate(st.st_mtime, &record->time, &record->date);
    record->size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint32_t>(st.st_size);
  }
  return kHostOk;
}

int8_t FileServices::Read(uint32_t handle, FSP_READ_BLOCK* block, int short_count) {
  block->count = 0;
  auto it = open_.find(handle);
  if (it == open_.end()) return kHostBadHandle;
  Open& f = it->second;
  size_t want = block->length;
  if (short_count >= 0 && static_cast<size_t>(short_count) < want) want = static_cast<size_t>(short_count);
  size_t got = 0;
  if (f.is_listing) {
    got = std::min(want, f.listing.size() - f.position);
    memcpy(block->buffer, f.listing.data() + f.position, got);
    f.position += got;
  } else {
    while (got < want) {
      ssize_t n = read(f.fd, static_cast<uint8_t*>(block->buffer) + got, want - got);
      if (n < 0) return kHostIoError;
      if (n == 0) break;
      got += static_cast<size_t>(n);
    }
  }
  block->count = static_cast<uint16_t>(got);
  bytes_read_ += got;
  // A short read injected by a test is not the end of the file.
  return got < block->length && short_count < 0 ? kHostEnd : kHostOk;
}

int8_t FileServices::RemoveDir(const char* path) {
  std::string p = Resolve(path ? path : "");
  if (p.empty()) return kHostBadPath;
  if (rmdir(p.c_str()) == 0) return kHostOk;
  return errno == ENOTEMPTY || errno == EEXIST ? kHostNotEmpty : kHostBadPath;
}

int8_t FileServices::Rename(const char* from, const char* to) {
  std::string a = Resolve(from ? from : ""), b = Resolve(to ? to : "");
  if (a.empty() || b.empty()) return kHostBadPath;
  struct stat st;
  if (stat(a.c_str(), &st) != 0) return kHostBadPath;
  if (stat(b.c_str(), &st) == 0) return kHostExists;
  return ::rename(a.c_str(), b.c_str()) == 0 ? kHostOk : kHostIoError;
}

int8_t FileServices::Write(uint32_t handle, const FSP_WRITE_BLOCK* block) {
  auto it = open_.find(handle);
  if (it == open_.end() || it->second.is_listing) return kHostBadHandle;
  if (!WithinWriteLimit(block->length)) return kHostIoError;
  const uint8_t* data = static_cast<const uint8_t*>(block->buffer);
  size_t done = 0;
  while (done < block->length) {
    ssize_t n = write(it->second.fd, data + done, block->length - done);
    if (n <= 0) return kHostIoError;
    done += static_cast<size_t>(n);
  }
  Written(block->length);
  return kHostOk;
}

int8_t FileServices::Seek(uint32_t handle, int32_t offset, uint32_t origin, uint32_t* position) {
  auto it = open_.find(handle);
  if (it == open_.end()) return kHostBadHandle;
  Open& f = it->second;
  if (origin != kFspSeekStart && origin != kFspSeekEnd) return kHostUnsupported;
  if (f.is_listing) {
    long long base = origin == kFspSeekStart ? 0 : static_cast<long long>(f.listing.size());
    long long target = base + offset;
    if (target < 0 || target > static_cast<long long>(f.listing.size())) return kHostIoError;
    f.position = static_cast<size_t>(target);
    if (position) *position = static_cast<uint32_t>(target);
    return kHostOk;
  }
  off_t at = lseek(f.fd, offset, origin == kFspSeekStart ? SEEK_SET : SEEK_END);
  if (at < 0) return kHostIoError;
  if (position) *position = static_cast<uint32_t>(at);
  return kHostOk;
}

}  // namespace host
