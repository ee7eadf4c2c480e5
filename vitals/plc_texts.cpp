#include "vitals/plc_texts.h"

#include "bridge/charset.h"
#include "vitals/whole_file.h"

namespace {

constexpr uint32_t kPathMax = 300;

struct PlcLanguage {
  uint32_t id;
  const char* code;
};
constexpr PlcLanguage kLanguages[] = {{5, "CZE"},  {7, "GER"},  {9, "ENG"},  {12, "FRE"},
                                      {14, "HUN"}, {21, "POL"}, {25, "RUS"}, {36, "SLO"}};

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
int HexDigit(uint8_t c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

struct Parser {
  const uint8_t* text;
  uint32_t length;
  uint32_t at;
  uint8_t* storage;
  uint32_t limit;     // writing stops before this offset (the reserve)
  uint32_t written;   // next free byte of the storage

  bool More() const { return at < length; }
  uint8_t Peek() const { return text[at]; }
};

void SkipSpace(Parser* p) {
  while (p->More() && IsSpace(p->Peek())) ++p->at;
}

// White space and ";" comments (to the end of the line).
void SkipSpaceAndComments(Parser* p) {
  for (;;) {
    SkipSpace(p);
    if (!p->More() || p->Peek() != ';') return;
    while (p->More() && p->Peek() != '\r' && p->Peek() != '\n') ++p->at;
  }
}

// Appends one byte to the current string, keeping it NUL-terminated;
// false when the byte and its NUL would reach into the reserve.
bool Put(Parser* p, bool store, uint8_t c) {
  if (!store) return true;
  if (p->written + 1 >= p->limit) return false;
  p->storage[p->written++] = c;
  p->storage[p->written] = '\0';
  return true;
}

// One quoted string from its opening quote; escapes resolved. An
// unterminated string ends with the data.
bool ReadString(Parser* p, bool store) {
  ++p->at;  // the opening quote
  while (p->More()) {
    uint8_t c = p->text[p->at++];
    if (c == '"') return true;
    if (c != '\\') {
      if (!Put(p, store, c)) return false;
      continue;
    }
    if (!p->More()) return true;
    uint8_t e = p->text[p->at++];
    uint8_t out = 0;
    bool keep = true;
    switch (e) {
      case '"': out = '"'; break;
      case '\\': out = '\\'; break;
      case 'n': out = '\n'; break;
      case 'r': out = '\r'; break;
      case 't': out = '\t'; break;
      case 'x': {
        // Two hexadecimal digits; the characters that fail are dropped too.
        int high = p->More() ? HexDigit(p->text[p->at++]) : -1;
        int low = high >= 0 && p->More() ? HexDigit(p->text[p->at++]) : -1;
        keep = high >= 0 && low >= 0;
        out = static_cast<uint8_t>(keep ? high * 16 + low : 0);
        break;
      }
      default: keep = false; break;
    }
    if (keep && !Put(p, store, out)) return false;
  }
  return true;
}

}  // namespace

const char* PlcLanguageCode(uint32_t language) {
  for (const PlcLanguage& l : kLanguages)
    if (l.id == language) return l.code;
  return nullptr;
}

int32_t ParsePlcTexts(const uint8_t* text, uint32_t length, uint32_t* table, uint32_t entries,
                      uint8_t* storage, uint32_t storage_size) {
  Parser p{text, length, 0, storage, 0, 0};
  p.limit = storage_size > kPlcStorageReserve ? storage_size - kPlcStorageReserve : 0;
  // Everything before the header is ignored.
  uint32_t header = 0;
  while (header + 4 <= length && !(text[header] == '$' && text[header + 1] == 'T' && text[header + 2] == 'X' &&
                                   text[header + 3] == 'T'))
    ++header;
  if (header + 4 > length) return kPlcBadVersion;
  p.at = header + 4;
  SkipSpace(&p);
  if (!p.More() || p.Peek() != '1') return kPlcBadVersion;
  ++p.at;
  for (;;) {
    SkipSpaceAndComments(&p);
    if (!p.More()) return kPlcLoaded;
    uint8_t c = p.Peek();
    if (!IsDigit(c) && c != '"') {
      ++p.at;  // an unrecognised character
      continue;
    }
    // An entry: its number (a string without one is skipped the same way
    // as one whose number lies outside the table).
    uint32_t number = 0, digits = 0;
    while (p.More() && IsDigit(p.Peek())) {
      if (digits < 5) number = number * 10 + static_cast<uint32_t>(p.Peek() - '0');
      ++digits;
      ++p.at;
    }
    bool store = digits > 0 && digits <= 4 && number < entries;
    SkipSpaceAndComments(&p);
    if (!p.More() || p.Peek() != '"') continue;
    if (store) {
      if (p.written >= p.limit) return kPlcStorageFull;
      p.storage[p.written] = '\0';
      table[number] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p.storage + p.written));
    }
    // The string and those that follow it with only white space between.
    for (;;) {
      if (!ReadString(&p, store)) return kPlcStorageFull;
      uint32_t after = p.at;
      SkipSpace(&p);
      if (p.More() && p.Peek() == '"') continue;
      p.at = after;
      break;
    }
    if (store) ++p.written;  // past the NUL
  }
}

namespace {

// The whole file converted in place to the control's character set.
uint32_t ConvertText(uint8_t* buffer, uint32_t length) {
  if (length >= 2 && buffer[0] == 0xFF && buffer[1] == 0xFE) {
    uint32_t units = (length - 2) / 2;
    for (uint32_t i = 0; i < units; ++i) {
      uint16_t unit = static_cast<uint16_t>(buffer[2 + 2 * i] | buffer[3 + 2 * i] << 8);
      buffer[i] = ZorvFromUnicode(unit);
    }
    return units;
  }
  for (uint32_t i = 0; i < length; ++i) buffer[i] = ZorvFromCp1250(buffer[i]);
  return length;
}

}  // namespace

int32_t LoadPlcTexts(const _LOADPLSTEXT* record) {
  if (record == nullptr) return kPlcOpenFailed;
  uint32_t* table = reinterpret_cast<uint32_t*>(static_cast<uintptr_t>(record->table));
  uint32_t entries = table == nullptr ? 0 : record->entries;
  for (uint32_t i = 0; i < entries; ++i) table[i] = 0;
  const char* code = PlcLanguageCode(record->language);
  if (code == nullptr) return kPlcBadLanguage;
  const char* directory = reinterpret_cast<const char*>(static_cast<uintptr_t>(record->directory));
  if (directory == nullptr) return kPlcOpenFailed;
  char path[kPathMax];
  uint32_t n = 0;
  for (; directory[n] != '\0'; ++n) {
    if (n + 14 >= kPathMax) return kPlcOpenFailed;
    path[n] = directory[n];
  }
  const char* parts[] = {"PLCS_", code, ".TXT"};
  for (const char* part : parts)
    for (; *part != '\0'; ++part) path[n++] = *part;
  path[n] = '\0';
  uint8_t* buffer = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(record->buffer));
  uint32_t length = 0;
  switch (ReadWholeFile(path, buffer, record->buffer_size, &length)) {
    case WholeFile::kRead: break;
    case WholeFile::kOpenFailed: return kPlcOpenFailed;
    case WholeFile::kEmpty:
    case WholeFile::kTooLarge: return kPlcEmptyOrTooLarge;
    case WholeFile::kReadFailed: return kPlcReadFailed;
  }
  length = ConvertText(buffer, length);
  uint8_t* storage = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(record->storage));
  uint32_t storage_size = storage == nullptr ? 0 : record->storage_size;
  return ParsePlcTexts(buffer, length, table, entries, storage, storage_size);
}
