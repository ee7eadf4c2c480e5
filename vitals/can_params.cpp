#include "vitals/can_params.h"

#include "bridge/host_api.h"
#include "vitals/config_lines.h"
#include "vitals/whole_file.h"

namespace {

constexpr uint32_t kPathMax = 300;

struct EdsEntry {
  uint16_t node;
  char path[kPathMax];
};

// One run's state; the loader keeps nothing between calls.
struct CanLoad {
  uint8_t* memory;
  uint8_t* buffer;
  uint32_t buffer_size;
  const char* directory;
  uint32_t first_index;
  EdsEntry entries[kCanMaxEdsFiles];
  uint32_t entry_count;
};

CanLoad g_load;

uint32_t Length(const char* s) {
  uint32_t n = 0;
  while (s[n] != '\0') ++n;
  return n;
}

// directory + name into out; false when it does not fit.
bool JoinPath(char* out, const char* directory, const char* name) {
  uint32_t d = Length(directory), n = Length(name);
  if (d + n + 1 > kPathMax) return false;
  for (uint32_t i = 0; i < d; ++i) out[i] = directory[i];
  for (uint32_t i = 0; i <= n; ++i) out[d + i] = name[i];
  return true;
}

// "EDSNAME_" n "=" file: node = up to four decimal digits after the first
// "_"; a path when the file holds a backslash, else a name in the folder.
void TakeEdsName(CanLoad* load, const char* line) {
  if (load->entry_count >= kCanMaxEdsFiles) return;
  const char* p = line;
  while (*p != '\0' && *p != '_') ++p;
  if (*p == '_') ++p;
  uint32_t node = 0;
  for (int i = 0; i < 4 && *p >= '0' && *p <= '9'; ++i, ++p) node = node * 10 + static_cast<uint32_t>(*p - '0');
  const char* file = ConfigValueText(line);
  if (node == 0 || file == nullptr || *file == '\0') return;
  EdsEntry& entry = load->entries[load->entry_count];
  bool is_path = ConfigHasKey(file, "\\");
  if (!JoinPath(entry.path, is_path ? "" : load->directory, file)) return;
  entry.node = static_cast<uint16_t>(node);
  ++load->entry_count;
}

uint32_t ReadConfiguration(CanLoad* load) {
  char path[kPathMax];
  if (!JoinPath(path, load->directory, "EDS_CAN1.KNF")) return kCanNoConfiguration;
  uint32_t length = 0;
  switch (ReadWholeFile(path, load->buffer, load->buffer_size, &length)) {
    case WholeFile::kRead: break;
    case WholeFile::kOpenFailed:
    case WholeFile::kEmpty: return kCanNoConfiguration;
    case WholeFile::kTooLarge:
    case WholeFile::kReadFailed: return kCanTooLarge;
  }
  ConfigLines lines;
  ConfigLinesStart(&lines, load->buffer, length);
  while (ConfigLinesNext(&lines)) {
    if (ConfigHasKey(lines.line, "SDODELAY=")) RecordSet<uint32_t>(load->memory, kCan1SdoDelay, ConfigValue(lines.line));
    else if (ConfigHasKey(lines.line, "FIRSTSDOINDEX=")) load->first_index = ConfigValue(lines.line);
    else if (ConfigHasKey(lines.line, "EDSNAME_")) TakeEdsName(load, lines.line);
  }
  return kCanLoaded;
}

// "[" index ["SUB" sub-index] "]"; false for any other line.
bool ObjectHeader(const char* line, uint16_t* index, uint8_t* sub_index) {
  if (line[0] != '[') return false;
  auto hex = [](const char** p, int most, uint32_t* value) {
    int n = 0;
    *value = 0;
    for (; n < most; ++n, ++*p) {
      char c = **p;
      if (c >= '0' && c <= '9') *value = *value * 16 + static_cast<uint32_t>(c - '0');
      else if (c >= 'A' && c <= 'F') *value = *value * 16 + static_cast<uint32_t>(c - 'A' + 10);
      else break;
    }
    return n > 0;
  };
  const char* p = line + 1;
  uint32_t value = 0, sub = 0;
  if (!hex(&p, 4, &value)) return false;
  if (p[0] == 'S' && p[1] == 'U' && p[2] == 'B') {
    p += 3;
    if (!hex(&p, 2, &sub)) return false;
  }
  if (p[0] != ']' || p[1] != '\0') return false;
  *index = static_cast<uint16_t>(value);
  *sub_index = static_cast<uint8_t>(sub);
  return true;
}

// SDO command of a CANopen data type (2..7); 0 for any other type.
uint8_t CommandOf(uint32_t type) {
  switch (type) {
    case 2: case 5: return 0x2F;
    case 3: case 6: return 0x2B;
    case 4: case 7: return 0x23;
    default: return 0;
  }
}

struct EdsObject {
  bool open;              // inside an object header's section
  uint16_t index;
  uint8_t sub_index;
  uint8_t command;        // 0 until a usable DATATYPE= was seen
  bool writable, has_default, has_parameter;
  uint32_t default_value, parameter_value;
};

void ResetFacts(EdsObject* o) {
  o->command = 0;
  o->writable = o->has_default = o->has_parameter = false;
}

// Appends one request; false when the table has no room for it.
bool Append(CanLoad* load, uint16_t node, const EdsObject& o) {
  uint16_t capacity = RecordGet<uint16_t>(load->memory, kCan1SdoCapacity);
  uint16_t count = RecordGet<uint16_t>(load->memory, kCan1SdoCount);
  uint32_t table = RecordGet<uint32_t>(load->memory, kCan1SdoTable);
  if (table == 0 || count >= capacity) return false;
  SDO_REQUEST request{};
  request.identifier = static_cast<uint16_t>(0x600 + node);
  request.length = 8;
  request.command = o.command;
  request.index = o.index;
  request.sub_index = o.sub_index;
  request.value = o.command == 0x2F ? (o.parameter_value & 0xFFu)
                  : o.command == 0x2B ? (o.parameter_value & 0xFFFFu) : o.parameter_value;
  __builtin_memcpy(reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(table)) + count * sizeof request, &request,
                   sizeof request);
  RecordSet<uint16_t>(load->memory, kCan1SdoCount, static_cast<uint16_t>(count + 1));
  return true;
}

uint32_t ParseEds(CanLoad* load, uint16_t node, uint32_t length) {
  enum { kBeforeObjects, kSeeking, kInside } state = kBeforeObjects;
  EdsObject o{};
  ConfigLines lines;
  ConfigLinesStart(&lines, load->buffer, length);
  while (ConfigLinesNext(&lines)) {
    const char* line = lines.line;
    if (state == kBeforeObjects) {
      if (ConfigHasKey(line, "[MANUFACTUREROBJECTS]")) state = kSeeking;
      continue;
    }
    if (line[0] == '[') {
      ResetFacts(&o);
      o.open = ObjectHeader(line, &o.index, &o.sub_index);
      if (state == kSeeking) {
        if (!o.open || o.index <= load->first_index) {
          o.open = false;
          continue;
        }
        state = kInside;
      }
      continue;
    }
    if (!o.open) continue;
    if (ConfigHasKey(line, "DATATYPE=")) {
      o.command = CommandOf(ConfigValue(line));
    } else if (ConfigHasKey(line, "ACCESSTYPE=RW")) {
      o.writable = true;
    } else if (ConfigHasKey(line, "DEFAULTVALUE=")) {
      // A node-relative default ("$NODEID...") counts as none.
      if (!ConfigHasKey(ConfigValueText(line), "$")) {
        o.has_default = true;
        o.default_value = ConfigValue(line);
      }
    } else if (ConfigHasKey(line, "PARAMETERVALUE=")) {
      o.has_parameter = true;
      o.parameter_value = ConfigValue(line);
    }
    if (o.command != 0 && o.writable && o.has_default && o.has_parameter) {
      EdsObject complete = o;
      ResetFacts(&o);
      if (complete.parameter_value != complete.default_value && !Append(load, node, complete))
        return kCanTableFull;
    }
  }
  return kCanLoaded;
}

}  // namespace

uint32_t LoadEdsCan1(const _LOADEDSCAN* record) {
  if (record == nullptr || record->memory_base == 0 || record->directory == 0) return kCanNoConfiguration;
  CanLoad* load = &g_load;
  *load = CanLoad{};
  load->memory = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(record->memory_base));
  if (RecordGet<uint16_t>(load->memory, kCan1Mode) != 1) return kCanNotMode1;
  RecordSet<uint16_t>(load->memory, kCan1SdoCount, 0);
  load->buffer = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(record->buffer));
  load->buffer_size = record->buffer_size;
  load->directory = reinterpret_cast<const char*>(static_cast<uintptr_t>(record->directory));
  load->first_index = kCanDefaultFirstIndex;
  uint32_t result = ReadConfiguration(load);
  if (result != kCanLoaded) return result;
  for (uint32_t i = 0; i < load->entry_count; ++i) {
    uint32_t length = 0;
    switch (ReadWholeFile(load->entries[i].path, load->buffer, load->buffer_size, &length)) {
      case WholeFile::kRead: break;
      case WholeFile::kOpenFailed:
      case WholeFile::kEmpty: return kCanEdsMissing;
      case WholeFile::kTooLarge: return kCanTooLarge;
      case WholeFile::kReadFailed: return kCanEdsUnreadable;
    }
    result = ParseEds(load, load->entries[i].node, length);
    if (result != kCanLoaded) return result;
  }
  return kCanLoaded;
}
