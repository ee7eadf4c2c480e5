// hostsim table-form --form inkor|inkor2|inkor3|inposun|zapis|fix|natvrdo
//                    --keys "..." [options]
//   opens one of libTracer's correction or zero-offset forms over a table
//   in the sandbox, presses the keys (one data call each; wait=N lets N
//   ticks pass) and prints what the write services received and the table
//   afterwards. The fixed form's table file lives in --fix-dir.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/tracer_runner.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/offset_host.h"
#include "host/services/sandbox_folder.h"
#include "host/services/tracer_host.h"

namespace host {
namespace {

constexpr char kTablePath[] = "c:\\tables\\korekce.tab";
constexpr char kShiftTablePath[] = "c:\\tables\\posuny.tab";
constexpr char kFixDir[] = "c:\\fix\\";
constexpr char kFixFile[] = "TABFIX.POS";

// "N=V" with N and V whole numbers (V may be hexadecimal); false otherwise.
bool NumberPair(const std::string& text, long long* left, double* right) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) return false;
  char* end = nullptr;
  const std::string name = text.substr(0, eq);  // `end` points into it
  *left = strtoll(name.c_str(), &end, 0);
  if (*end != '\0') return false;
  const std::string value = text.substr(eq + 1);
  *right = value.rfind("0x", 0) == 0 ? static_cast<double>(strtoull(value.c_str(), &end, 16))
                                     : strtod(value.c_str(), &end);
  return *end == '\0';
}

int TableForm(const ParsedArgs& args) {
  const TracerForm form = static_cast<TracerForm>(args.ChoiceIndex("--form"));
  const bool shift = form >= TracerForm::kInposun;
  // Every key is checked before the form opens: a bad one writes nothing.
  std::vector<FormStep> steps;
  std::string error;
  if (!FormSteps(args.Keys("--keys"), FormLeaveKey(form), &steps, &error)) throw UsageError("--keys " + error);

  SandboxFolder sandbox("table-form");
  FileServices files(sandbox.root());
  Screen screen(640, 480);
  DisplayServices display(screen, TextStyle::kForm);
  TracerHost host(display, &files);
  TracerRunner runner(host, files);
  OffsetHost offsets(host);
  offsets.SetFixDir(kFixDir);
  sandbox.MakeDir("c/fix");
  const std::string fix_dir = args.Text("--fix-dir");
  const std::string fix_file = fix_dir + "/" + kFixFile;
  if (!fix_dir.empty()) {
    FILE* probe = fopen(fix_file.c_str(), "rb");
    if (probe != nullptr) {
      fclose(probe);
      CopyFromInput(fix_file, sandbox.root() + "/c/fix/" + kFixFile);
    }
  }
  host.preset_table = args.Has("--preset-table") ? static_cast<uint8_t>('0' + args.Int("--preset-table")) : 255;
  host.write_reads_value_text = form == TracerForm::kPosunZapisNatvrdo;
  const int decimals = static_cast<int>(args.Int("--decimals"));
  host.SetDecimals(decimals);
  for (const std::string& s : args.All("--setting")) {
    long long offset = 0;
    double value = 0;
    if (!NumberPair(s, &offset, &value) || offset < 0 || offset > 4092 || value < 0 || value > 4294967295.0 ||
        value != floor(value))
      throw UsageError("--setting " + s + ": OFF=VALUE, byte offset 0 to 4092, a 32-bit whole number");
    host.SetSetting(static_cast<uint32_t>(offset), static_cast<uint32_t>(value));
  }
  for (const std::string& p : args.All("--position")) {
    long long axis = 0;
    double mm = 0;
    if (!NumberPair(p, &axis, &mm) || axis < 0 || axis > 5 || fabs(mm) >= 100000)
      throw UsageError("--position " + p + ": AXIS=MM, axis 0 to 5, below 100000 mm");
    host.SetPosition(static_cast<int>(axis), llround(mm * pow(10, host.Decimals())));
  }
  const int axis = static_cast<int>(args.Int("--axis"));
  if (axis > 5 && axis != 255) throw UsageError("--axis: 0 to 5, or 255 (the value replaces)");
  host.axis_index = static_cast<uint8_t>(axis);
  host.position_arg = static_cast<uint32_t>(axis);
  host.axis_letter = axis <= 5 ? "XYZUVW"[axis] : 'R';
  host.axis_count = 6;
  host.machine_type = args.Text("--machine")[0];
  const char* table_path = shift ? kShiftTablePath : kTablePath;
  if (args.Has("--table")) {
    const std::string text = ReadInputFile(args.Text("--table"), 1 << 20);
    sandbox.MakeDir("c/tables");
    FILE* f = fopen(files.Resolve(table_path).c_str(), "wb");
    if (f == nullptr || fwrite(text.data(), 1, text.size(), f) != text.size() || fclose(f) != 0)
      throw HostError("cannot copy the table into the sandbox");
  }
  if (args.Has("--fail-write")) host.tables().FailNext(TableStore::Fault::kReplace);
  if (!runner.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);

  screen.Clear(display.block()[21]);
  runner.Prefix(form);
  int status = 0;
  for (const FormStep& step : steps)
    if ((status = runner.Data(step.key, step.ticks)) == 9) break;
  // One quiet call more lets the cursor show in the picture.
  if (status != 9) runner.Data(0);
  if (args.Has("--png") && !screen.WritePng(args.Text("--png"), &error)) throw HostError(error);

  for (const TracerHost::WriteRequest& w : host.writes())
    printf("write: table %s, section %s, entry %s, axis %u, value \"%s\"\n", w.table.c_str(), w.section.c_str(),
           w.entry.c_str(), w.axis, w.value.c_str());
  for (const OffsetHost::FixWrite& w : offsets.fix_writes())
    printf("fixed shift: axis %u, value \"%s\"\n", w.axis, w.value.c_str());
  if (host.writes().empty() && offsets.fix_writes().empty())
    printf("write: none (%s)\n", status == 9 ? "left without saving" : "form still open");
  if (form == TracerForm::kPosunZapisNatvrdo) printf("presetTable: %u\n", host.preset_table);
  TableEntries entries;
  if (host.tables().Load(table_path, decimals, &entries, &error) && !entries.empty())
    printf("%s", TableStore::Format(shift ? "$POS" : "$KOR", entries, decimals).c_str());
  const std::string fixed = files.Resolve(std::string(kFixDir) + kFixFile);
  if (form == TracerForm::kInposunZapisFix && !fix_dir.empty() && !fixed.empty()) {
    FILE* probe = fopen(fixed.c_str(), "rb");
    if (probe != nullptr) {
      fclose(probe);
      CopyFromInput(fixed, fix_file);
      printf("fixed table: %s\n", fix_file.c_str());
    }
  }
  if (host.message_code == 135)
    return LibraryFailure("the write service failed (message 135): " + host.last_error());
  return kExitOk;
}

CommandRegistration table_form_command({"table-form",
    "a correction form (libTracer) over a table in the sandbox; prints what was written", {
    Choice("--form", {"inkor", "inkor2", "inkor3", "inposun", "zapis", "fix", "natvrdo"}, "inkor",
           "inkor: set from the position, inkor2: add a change, inkor3: radius; inposun: add to a shift, "
           "zapis: write a shift, fix: the fixed additive shift (enter on its NULL row resets the table), "
           "natvrdo: the current axis values, hard-wired"),
    KeysOption("--keys", kFormKeys, "keys, one data call each; other words are typed").Required(),
    Text("--table", "FILE", "the correction table before the form (else none)"),
    Int("--decimals", 3, 5, "3", "decimals D of the machine"),
    Int("--axis", 0, 255, "0", "the host's axis index (inkor; 255: the value replaces)"),
    Choice("--machine", {"S", "K", "N"}, "N", "machine type: S and K show axis 0 doubled"),
    Text("--setting", "OFF=VALUE", "a 32-bit word of the settings block (3000=1 halves axis 0)").Repeatable(),
    Text("--position", "AXIS=MM", "position the host reports for an axis").Repeatable(),
    Flag("--fail-write", "the write service's replace of the table fails"),
    Int("--preset-table", 3, 9, "", "natvrdo: the table digit the host presets (else from the settings)"),
    Text("--fix-dir", "DIR", "fix: the folder of TABFIX.POS (read before, written back after)"),
    Text("--png", "OUT.png", "the form as the operator sees it at the end"),
    LanguageOption(),
}, TableForm});

}  // namespace
}  // namespace host
