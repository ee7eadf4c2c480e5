// The simulator's file services: the fourteen slots of the file-service
// table over a sandbox folder.
//
// DOS paths map into the sandbox: "c:\cmos\x.tmp" is <root>/c/cmos/x.tmp.
// Each component is matched without regard to case when a file of that name
// exists. A path without a drive (unless a current directory is set),
// with "..", or with characters DOS does not
// allow is a bad path.
//
// Status values the host writes (low byte of the status cell):
//   0 success, 1 end of file (read), -2 unknown handle, -3 input/output
//   error, -4 already exists or in the way, -5 bad path or no such file,
//   -6 directory not empty, -7 unsupported mode or origin.
//
// Open modes: 1 read, 2 write an existing file, 6 create or truncate, and
// 4 create-or-empty with the new contents replacing the old file only when
// it is closed: they go to a pending file (under <root>/.pending), which a
// close renames over the target. After a failed write to it (the host's or
// an injected one) the close drops the pending file, and a file whose close
// fails or never comes is not replaced: a failed rewrite keeps the old file.
//
// The directory search (slot 3) lists "." and ".." first in every
// directory below a drive's root, as DOS does; the root has neither.
//
// Information record of slot 6 (host's choice): u32 directory flag,
// u16 time, u16 date (MS-DOS packing), u32 size; 12 bytes.
#pragma once

#include <stdint.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bridge/fsp.h"

namespace host {

enum : int8_t {
  kHostOk = 0, kHostEnd = 1, kHostBadHandle = -2, kHostIoError = -3, kHostExists = -4,
  kHostBadPath = -5, kHostNotEmpty = -6, kHostUnsupported = -7,
};

struct FileInfoRecord {
  uint32_t directory;
  uint16_t time;
  uint16_t date;
  uint32_t size;
};

class FileServices {
 public:
  explicit FileServices(std::string sandbox_root);
  ~FileServices();
  FileServices(const FileServices&) = delete;
  FileServices& operator=(const FileServices&) = delete;

  // The table to hand to a library's FSPInit (size 62, all slots).
  const FSP_INIT_PARAMS& table() const { return table_; }
  // The same table, with only the first `bytes` bytes as the host's size.
  FSP_INIT_PARAMS TableWithSize(uint16_t bytes) const;

  // The host's current directory (a DOS path with a drive): names without
  // a drive are taken inside it. Until it is set they are bad paths.
  void SetCurrentDirectory(const std::string& dos_dir) { current_dir_ = dos_dir; }
  // Sandbox path of a DOS path, or "" for a bad path.
  std::string Resolve(const std::string& dos_path) const;
  const std::string& root() const { return root_; }

  // Fault injection. Calls are counted per slot from the moment of arming:
  // the `nth` next call (1 = the very next) of `slot` fails with `status`.
  void FailCall(int slot, int nth, int8_t status);
  // The `nth` next call of `slot` makes dispatch itself return 0.
  void FailDispatch(int slot, int nth);
  // The `nth` next read delivers at most `count` bytes (status 0).
  void ShortRead(int nth, uint16_t count);
  void ClearFaults();

  // A budget for everything written through the services (all files, the
  // slot copy included), so that a runaway generation cannot fill the
  // disk: a write that would pass `max_bytes` writes nothing and fails
  // with kHostIoError, as a full disk would. 0 = no budget.
  void LimitWrites(uint64_t max_bytes) { write_limit_ = max_bytes; }
  // Called with the total after every write that was made.
  void ObserveWrites(std::function<void(uint64_t total)> observer) { write_observer_ = std::move(observer); }
  uint64_t bytes_written() const { return bytes_written_; }
  // A write was refused for the budget.
  bool write_limit_reached() const { return write_limit_reached_; }

  // Observed behaviour, for tests.
  int calls(int slot) const { return calls_[slot]; }
  int open_handles() const { return static_cast<int>(open_.size()); }
  // Bytes delivered by file reads so far.
  uint64_t bytes_read() const { return bytes_read_; }

 private:
  struct Open {
    int fd = -1;                  // a file
    std::vector<uint8_t> listing; // or a directory listing stream
    size_t position = 0;
    bool is_listing = false;
    std::string replaces;         // mode 4: the target the close replaces
    std::string pending;          // mode 4: where the new contents are
    bool failed = false;          // mode 4: a write failed
  };
  struct Fault {
    int countdown;
    int8_t status;
    bool dispatch_fails;
    int short_count;  // -1 when not a short read
  };

  int Call(int slot, int count, va_list args);
  // Returns true and sets *status or *dispatch_result when a fault fires.
  bool TakeFault(int slot, int8_t* status, bool* dispatch_fails, int* short_count);

  int8_t Close(uint32_t handle);
  int8_t Copy(const char* from, const char* to);
  int8_t MakeDir(const char* path);
  int8_t ListOpen(const char* pattern, uint32_t* handle, uint32_t* entries);
  int8_t OpenFile(const char* path, uint32_t mode, uint32_t* handle, uint32_t* size);
  int8_t Delete(const char* path);
  int8_t GetInfo(const char* path, FileInfoRecord* record);
  int8_t Read(uint32_t handle, FSP_READ_BLOCK* block, int short_count);
  int8_t RemoveDir(const char* path);
  int8_t Rename(const char* from, const char* to);
  int8_t Write(uint32_t handle, const FSP_WRITE_BLOCK* block);
  int8_t Seek(uint32_t handle, int32_t offset, uint32_t origin, uint32_t* position);

  uint32_t NewHandle(Open open);

  std::string root_;
  std::string current_dir_;
  FSP_INIT_PARAMS table_{};
  uint32_t handles_[14]{};
  int calls_[14]{};
  std::map<int, std::vector<Fault>> faults_;
  std::map<uint32_t, Open> open_;
  uint32_t next_handle_ = 1;
  uint64_t bytes_read_ = 0;
  // True when `bytes` more may be written; records the refusal otherwise.
  bool WithinWriteLimit(uint64_t bytes);
  void Written(uint64_t bytes);
  uint64_t bytes_written_ = 0;
  uint64_t write_limit_ = 0;
  bool write_limit_reached_ = false;
  std::function<void(uint64_t)> write_observer_;
};

// MS-DOS packing of a time stamp (local time).
void DosTimeDate(long long unix_seconds, uint16_t* time, uint16_t* date);

}  // namespace host
