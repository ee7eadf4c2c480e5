// The file manager's parameter record (_DIR_INFO), one directory entry, and
// the numbers the file manager shares with the host (messages, keys).
//
// The host owns the record and passes the same one to DirStart and every
// DirCont; the panel writes back the name under the cursor, the file and
// FTP flags and its own message number and text.
#pragma once

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)
struct _DIR_INFO {
  uint8_t key_code;             // 0 none; 1 a character key (key_char); else a function key
  uint8_t key_char;
  uint16_t left, top, right, bottom;  // the panel's window (inclusive)
  const char* root;             // the panel's root directory; ".." is not listed there
  uint8_t mode;                 // 1 full file manager, 6 directories without attributes, else files only
  char path[80];                // current path, ends with '\'; "FTP:" = on the server
  char name[13];                // name under the cursor: name '.' extension
  uint8_t is_file;              // the entry under the cursor is a file
  uint8_t ftp;                  // 1 while the current path is on the server
  uint32_t message;             // the panel's own message number
  char message_text[62];        // its text (a path or an FTP error)
  uint32_t request_flags;       // requests of the panel to the host
  const volatile uint32_t* ticks;  // the host's tick counter (null: none)
  uint32_t frequency;           // ticks per second
  uint8_t counts_down;          // non-zero: the counter counts down
  char filter[4];               // extension filter; "*" lists every file
};

// One listed file or directory.
struct DirEntry {
  char short_name[9];   // base name cut to 8 characters
  char extension[4];    // at most 3 characters, empty without one
  char long_name[30];   // the name as listed without its extension
  uint8_t minute, hour, day, month;
  uint16_t year;        // 9999: listed with a time (recent); 1000: names only
  uint32_t size;
  uint8_t flags;        // kEntryDirectory | kEntrySelected
};
#pragma pack(pop)

static_assert(offsetof(_DIR_INFO, key_char) == 1);
static_assert(offsetof(_DIR_INFO, left) == 2);
static_assert(offsetof(_DIR_INFO, top) == 4);
static_assert(offsetof(_DIR_INFO, right) == 6);
static_assert(offsetof(_DIR_INFO, bottom) == 8);
static_assert(offsetof(_DIR_INFO, root) == 10);
static_assert(offsetof(_DIR_INFO, mode) == 14);
static_assert(offsetof(_DIR_INFO, path) == 15);
static_assert(offsetof(_DIR_INFO, name) == 95);
static_assert(offsetof(_DIR_INFO, is_file) == 108);
static_assert(offsetof(_DIR_INFO, ftp) == 109);
static_assert(offsetof(_DIR_INFO, message) == 110);
static_assert(offsetof(_DIR_INFO, message_text) == 114);
static_assert(offsetof(_DIR_INFO, request_flags) == 176);
static_assert(offsetof(_DIR_INFO, ticks) == 180);
static_assert(offsetof(_DIR_INFO, frequency) == 184);
static_assert(offsetof(_DIR_INFO, counts_down) == 188);
static_assert(offsetof(_DIR_INFO, filter) == 189);
static_assert(sizeof(_DIR_INFO) == 193);

static_assert(offsetof(DirEntry, extension) == 9);
static_assert(offsetof(DirEntry, long_name) == 13);
static_assert(offsetof(DirEntry, minute) == 43);
static_assert(offsetof(DirEntry, hour) == 44);
static_assert(offsetof(DirEntry, day) == 45);
static_assert(offsetof(DirEntry, month) == 46);
static_assert(offsetof(DirEntry, year) == 47);
static_assert(offsetof(DirEntry, size) == 49);
static_assert(offsetof(DirEntry, flags) == 53);
static_assert(sizeof(DirEntry) == 54);

enum : uint8_t { kEntryDirectory = 1, kEntrySelected = 2 };

constexpr uint32_t kMaxEntries = 2000;
constexpr uint32_t kEntryTableBytes = kMaxEntries * sizeof(DirEntry);  // 108000
// Each entry's name exactly as the directory listed it, kept beside the
// table: copy and delete address files by it.
constexpr uint32_t kListedNameMax = 64;
constexpr uint32_t kListedNameSize = kListedNameMax + 1;
constexpr uint32_t kPathSize = 80;
// The FTP client takes arguments of at most this many characters.
constexpr uint32_t kFtpArgumentMax = 68;

// Years that mark how an FTP entry was listed.
constexpr uint16_t kYearRecent = 9999;
constexpr uint16_t kYearNamesOnly = 1000;

// Message numbers the file operations raise.
enum : uint16_t {
  kMsgDirectoryEmpty = 2309,   // host word
  kMsgProtected = 2313,        // host word
  kMsgReadFailed = 4200,       // host word
  kMsgDeleteFailed = 4201,     // panel, with the path
  kMsgCopyFailed = 4208,       // panel, with the path
  kMsgTooManyEntries = 4211,   // host word
  kMsgFtpError = 4212,         // panel, with the text
};

// Key codes of the browsing state (function keys).
enum : uint8_t {
  kKeyCharacter = 1,
  kKeySortMode = 20,
  kKeyNewDirectory = 21,
  kKeyNameColumn = 22,
  kKeyDelete = 23,
  kKeyMark = 24,
  kKeyMarkAll = 25,
  kKeyClipboard = 26,
  kKeyPaste = 27,
};

// Characters of key code 1.
enum : uint8_t {
  kCharUp = 1, kCharDown = 3, kCharPageDown = 2, kCharPageDownToo = 9,
  kCharPageUp = 4, kCharPageUpToo = 7, kCharFirst = 6, kCharLast = 8,
  kCharMark = 32, kCharDelete = 46, kCharEnter = 255,
};
