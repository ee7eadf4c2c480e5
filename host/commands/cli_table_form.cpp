// hostsim table-form --form inkor|inkor2|inkor3|inposun|zapis|fix|natvrdo
//                    --keys "..." [options]
//   opens one of libTracer's correction or zero-offset forms over a table
//   in the sandbox, presses the keys (one data call each, a tick apart;
//   wait=N: N data calls without a key, as the control calls an open form
//   once a tick) and prints what the write services received and the table
//   afterwards. The fixed form's table file lives in --fix-dir.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/runners/table_form_session.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

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
  TableFormSettings settings;
  settings.form = static_cast<TracerForm>(args.ChoiceIndex("--form"));
  // Every key is checked before the form opens: a bad one writes nothing.
  std::vector<FormStep> steps;
  std::string error;
  if (!FormSteps(args.Keys("--keys"), FormLeaveKey(settings.form), &steps, &error))
    throw UsageError("--keys " + error);

  const std::string fix_dir = args.Text("--fix-dir");
  const std::string fix_file = fix_dir + "/" + kFixFile;
  if (!fix_dir.empty()) {
    FILE* probe = fopen(fix_file.c_str(), "rb");
    if (probe != nullptr) {
      fclose(probe);
      settings.has_fixed_table = true;
      settings.fixed_table = ReadInputFile(fix_file, 1 << 20);
    }
  }
  if (args.Has("--preset-table")) settings.preset_table = static_cast<int>(args.Int("--preset-table"));
  settings.decimals = static_cast<int>(args.Int("--decimals"));
  for (const std::string& s : args.All("--setting")) {
    long long offset = 0;
    double value = 0;
    if (!NumberPair(s, &offset, &value) || offset < 0 || offset > 4092 || value < 0 || value > 4294967295.0 ||
        value != floor(value))
      throw UsageError("--setting " + s + ": OFF=VALUE, byte offset 0 to 4092, a 32-bit whole number");
    settings.settings.emplace_back(static_cast<uint32_t>(offset), static_cast<uint32_t>(value));
  }
  for (const std::string& p : args.All("--position")) {
    long long axis = 0;
    double mm = 0;
    if (!NumberPair(p, &axis, &mm) || axis < 0 || axis > 5 || fabs(mm) >= 100000)
      throw UsageError("--position " + p + ": AXIS=MM, axis 0 to 5, below 100000 mm");
    settings.positions.emplace_back(static_cast<int>(axis), llround(mm * pow(10, settings.decimals)));
  }
  settings.axis = static_cast<int>(args.Int("--axis"));
  if (settings.axis > 5 && settings.axis != 255) throw UsageError("--axis: 0 to 5, or 255 (the value replaces)");
  settings.machine = args.Text("--machine")[0];
  if (args.Has("--table")) {
    settings.has_table = true;
    settings.table = ReadInputFile(args.Text("--table"), 1 << 20);
  }
  settings.fail_write = args.Has("--fail-write");
  settings.language = static_cast<uint32_t>(args.Int("--lang"));

  SandboxFolder sandbox("table-form");
  TableFormSession session(sandbox.root());
  if (!session.Load(settings, &error)) throw HostError(error);
  session.Open();
  int status = 0;
  for (const FormStep& step : steps)
    if ((status = session.Data(step.key)) == 9) break;
  // One quiet call more lets the cursor show in the picture.
  if (status != 9) session.Data(0);
  if (args.Has("--png") && !session.screen().WritePng(args.Text("--png"), &error)) throw HostError(error);

  const std::vector<std::string> written = session.Written();
  for (const std::string& line : written) printf("%s\n", line.c_str());
  if (written.empty())
    printf("write: none (%s)\n", status == 9 ? "left without saving" : "form still open");
  if (settings.form == TracerForm::kPosunZapisNatvrdo) printf("presetTable: %u\n", session.tracer().preset_table);
  printf("%s", session.TableText().c_str());
  const std::string fixed = session.FixedTablePath();
  if (settings.form == TracerForm::kInposunZapisFix && !fix_dir.empty() && !fixed.empty()) {
    CopyToOutput(fixed, fix_file);
    printf("fixed table: %s\n", fix_file.c_str());
  }
  if (session.write_failed()) return LibraryFailure("the write service failed (message 135): " + session.write_error());
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
