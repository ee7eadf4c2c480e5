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
    : stage_(folder), offsets_(stage_.tracer) {}

bool TableFormSession::Load(const TableFormSettings& s, std::string* error) {
  namespace fs = std::filesystem;
  form_ = s.form;
  decimals_ = s.decimals;
  std::error_code ec;
  fs::create_directories(fs::path(stage_.files.root()) / "c" / "fix", ec);
  if (s.has_table) fs::create_directories(fs::path(stage_.files.root()) / "c" / "tables", ec);
  if (ec) {
    *error = "cannot create the drive's folders: " + ec.message();
    return false;
  }
  offsets_.SetFixDir(kFixDir);
  if (s.has_fixed_table && !WriteWhole(stage_.files.Resolve(std::string(kFixDir) + kFixFile), s.fixed_table)) {
    *error = "cannot copy the fixed table into the drive";
    return false;
  }
  stage_.tracer.preset_table = s.preset_table >= 0 ? static_cast<uint8_t>('0' + s.preset_table) : 255;
  stage_.tracer.write_reads_value_text = s.form == TracerForm::kPosunZapisNatvrdo;
  stage_.tracer.SetDecimals(s.decimals);
  for (const auto& [offset, value] : s.settings) stage_.tracer.SetSetting(offset, value);
  for (const auto& [axis, units] : s.positions) stage_.tracer.SetPosition(axis, units);
  stage_.tracer.axis_index = static_cast<uint8_t>(s.axis);
  stage_.tracer.position_arg = static_cast<uint32_t>(s.axis);
  stage_.tracer.axis_letter = s.axis <= 5 ? "XYZUVW"[s.axis] : 'R';
  stage_.tracer.axis_count = 6;
  stage_.tracer.machine_type = s.machine;
  if (s.has_table && !WriteWhole(stage_.files.Resolve(shift_form() ? kShiftTablePath : kTablePath), s.table)) {
    *error = "cannot copy the table into the drive";
    return false;
  }
  if (s.fail_write) stage_.tracer.tables().FailNext(TableStore::Fault::kReplace);
  return stage_.runner.Load(s.language, error);
}

void TableFormSession::Open() {
  stage_.screen.Clear(stage_.display.block()[21]);
  stage_.runner.Prefix(form_);
}

int TableFormSession::Data(uint8_t key) { return stage_.runner.Data(key, 1); }

std::vector<std::string> TableFormSession::Written() const {
  std::vector<std::string> lines;
  for (const TracerHost::WriteRequest& w : stage_.tracer.writes())
    lines.push_back("write: table " + w.table + ", section " + w.section + ", entry " + w.entry + ", axis " +
                    std::to_string(w.axis) + ", value \"" + w.value + "\"");
  for (const OffsetHost::FixWrite& w : offsets_.fix_writes())
    lines.push_back("fixed shift: axis " + std::to_string(w.axis) + ", value \"" + w.value + "\"");
  return lines;
}

std::string TableFormSession::TableText() {
  TableEntries entries;
  std::string error;
  if (!stage_.tracer.tables().Load(shift_form() ? kShiftTablePath : kTablePath, decimals_, &entries, &error) ||
      entries.empty())
    return "";
  return TableStore::Format(shift_form() ? "$POS" : "$KOR", entries, decimals_);
}

std::string TableFormSession::FixedTablePath() const {
  const std::string path = stage_.files.Resolve(std::string(kFixDir) + kFixFile);
  FILE* probe = path.empty() ? nullptr : fopen(path.c_str(), "rb");
  if (probe == nullptr) return "";
  fclose(probe);
  return path;
}

}  // namespace host
