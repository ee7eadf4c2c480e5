#include "host/runners/table_form_session.h"

#include <stdio.h>

#include <filesystem>
#include <fstream>

namespace host {
namespace {

constexpr char kTablePath[] = "c:\\tables\\korekce.tab";
constexpr char kShiftTablePath[] = "c:\\tables\\posuny.tab";
constexpr char kFixDir[] = "c:\\fix\\";
constexpr char kFixFile[] = "TABFIX.POS";

bool WriteWhole(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

TableFormSession::TableFormSession(const std::string& folder)
    : files_(folder), display_(screen_, TextStyle::kForm), tracer_(display_, &files_), runner_(tracer_, files_),
      offsets_(tracer_) {}

bool TableFormSession::Load(const TableFormSettings& s, std::string* error) {
  namespace fs = std::filesystem;
  form_ = s.form;
  decimals_ = s.decimals;
  std::error_code ec;
  fs::create_directories(fs::path(files_.root()) / "c" / "fix", ec);
  if (s.has_table) fs::create_directories(fs::path(files_.root()) / "c" / "tables", ec);
  if (ec) {
    *error = "cannot create the drive's folders: " + ec.message();
    return false;
  }
  offsets_.SetFixDir(kFixDir);
  if (s.has_fixed_table && !WriteWhole(files_.Resolve(std::string(kFixDir) + kFixFile), s.fixed_table)) {
    *error = "cannot copy the fixed table into the drive";
    return false;
  }
  tracer_.preset_table = s.preset_table >= 0 ? static_cast<uint8_t>('0' + s.preset_table) : 255;
  tracer_.write_reads_value_text = s.form == TracerForm::kPosunZapisNatvrdo;
  tracer_.SetDecimals(s.decimals);
  for (const auto& [offset, value] : s.settings) tracer_.SetSetting(offset, value);
  for (const auto& [axis, units] : s.positions) tracer_.SetPosition(axis, units);
  tracer_.axis_index = static_cast<uint8_t>(s.axis);
  tracer_.position_arg = static_cast<uint32_t>(s.axis);
  tracer_.axis_letter = s.axis <= 5 ? "XYZUVW"[s.axis] : 'R';
  tracer_.axis_count = 6;
  tracer_.machine_type = s.machine;
  if (s.has_table && !WriteWhole(files_.Resolve(shift_form() ? kShiftTablePath : kTablePath), s.table)) {
    *error = "cannot copy the table into the drive";
    return false;
  }
  if (s.fail_write) tracer_.tables().FailNext(TableStore::Fault::kReplace);
  return runner_.Load(s.language, error);
}

void TableFormSession::Open() {
  screen_.Clear(display_.block()[21]);
  runner_.Prefix(form_);
}

int TableFormSession::Data(uint8_t key) { return runner_.Data(key, 1); }

std::vector<std::string> TableFormSession::Written() const {
  std::vector<std::string> lines;
  for (const TracerHost::WriteRequest& w : tracer_.writes())
    lines.push_back("write: table " + w.table + ", section " + w.section + ", entry " + w.entry + ", axis " +
                    std::to_string(w.axis) + ", value \"" + w.value + "\"");
  for (const OffsetHost::FixWrite& w : offsets_.fix_writes())
    lines.push_back("fixed shift: axis " + std::to_string(w.axis) + ", value \"" + w.value + "\"");
  return lines;
}

std::string TableFormSession::TableText() {
  TableEntries entries;
  std::string error;
  if (!tracer_.tables().Load(shift_form() ? kShiftTablePath : kTablePath, decimals_, &entries, &error) ||
      entries.empty())
    return "";
  return TableStore::Format(shift_form() ? "$POS" : "$KOR", entries, decimals_);
}

std::string TableFormSession::FixedTablePath() const {
  const std::string path = files_.Resolve(std::string(kFixDir) + kFixFile);
  FILE* probe = path.empty() ? nullptr : fopen(path.c_str(), "rb");
  if (probe == nullptr) return "";
  fclose(probe);
  return path;
}

}  // namespace host
