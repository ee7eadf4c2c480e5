#include "host/services/table_store.h"

#include <ctype.h>
#include <stdio.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tracer/form_numbers.h"

namespace host {

namespace {

// "01: R=1.000  1=2.000 ..." into an entry; false when the line is not one.
bool ParseEntryLine(const std::string& line, int decimals, int* number, TableEntry* entry) {
  std::istringstream in(line);
  std::string head;
  if (!(in >> head) || head.size() != 3 || head[2] != ':' || !isdigit(static_cast<unsigned char>(head[0])) ||
      !isdigit(static_cast<unsigned char>(head[1])))
    return false;
  *number = (head[0] - '0') * 10 + (head[1] - '0');
  std::string cell;
  while (in >> cell) {
    size_t eq = cell.find('=');
    if (eq == std::string::npos) return false;
    std::string key = cell.substr(0, eq), text = cell.substr(eq + 1);
    int64_t value = 0;
    if (!DecimalTextToInteger(text.c_str(), static_cast<uint32_t>(text.size()), decimals, &value)) return false;
    if (key == "R") entry->r = value;
    else if (key.size() == 1 && key[0] >= '1' && key[0] <= '6') entry->axes[key[0] - '1'] = value;
    else return false;
  }
  return true;
}

}  // namespace

std::string DecimalText(int64_t value, int decimals) {
  char text[32];
  if (!IntegerToDecimalText(value, decimals, text)) IntegerToText(value, text);
  return text;
}

bool TableStore::Load(const std::string& dos_path, int decimals, TableEntries* entries,
                      std::string* error) const {
  entries->clear();
  const std::string path = files_ != nullptr ? files_->Resolve(dos_path) : "";
  if (path.empty()) {
    *error = "bad table path \"" + dos_path + "\"";
    return false;
  }
  std::ifstream in(path);
  if (!in) return true;  // no table yet
  std::string line;
  int line_no = 0;
  while (std::getline(in, line)) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line_no <= 3) continue;  // title, empty line, section
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    int number = 0;
    TableEntry entry;
    if (!ParseEntryLine(line, decimals, &number, &entry)) {
      *error = dos_path + ": line " + std::to_string(line_no) + " is not a table entry";
      return false;
    }
    (*entries)[number] = entry;
  }
  return true;
}

std::string TableStore::Format(const std::string& section, const TableEntries& entries, int decimals) {
  const bool shift = section == "$POS";
  std::string out = shift ? "Shift table\n\n" : "Correction table\n\n";
  out += section + "\n";
  for (const auto& [number, entry] : entries) {
    char head[8];
    snprintf(head, sizeof head, "%02d: ", number);
    out += head;
    if (!shift) out += "R=" + DecimalText(entry.r, decimals) + "  ";
    for (int k = 0; k < 6; ++k)
      out += std::to_string(k + 1) + "=" + DecimalText(entry.axes[k], decimals) + (k < 5 ? "  " : " ");
    out += "\n";
  }
  return out;
}

bool TableStore::WriteValue(const std::string& dos_path, const std::string& section, int number, uint8_t axis,
                            int64_t value, int decimals, std::string* error) {
  const Fault fault = fault_;
  fault_ = Fault::kNone;
  TableEntries entries;
  if (!Load(dos_path, decimals, &entries, error)) return false;
  if (axis != kTableColumnR && axis > 5) {
    *error = "axis " + std::to_string(axis) + " has no column";
    return false;
  }
  TableEntry& entry = entries[number];
  if (axis == kTableColumnR) entry.r = value;
  else entry.axes[axis] = value;

  const std::string path = files_->Resolve(dos_path), temporary = path + ".tmp";
  std::error_code ignored;  // a folder that cannot be made fails the write below
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    const std::string text = Format(section, entries, decimals);
    if (out && fault != Fault::kWrite) out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out || fault == Fault::kWrite) {
      remove(temporary.c_str());
      *error = "cannot write " + dos_path;
      return false;
    }
  }
  if (fault == Fault::kReplace || rename(temporary.c_str(), path.c_str()) != 0) {
    remove(temporary.c_str());
    *error = "cannot replace " + dos_path;
    return false;
  }
  return true;
}

}  // namespace host
