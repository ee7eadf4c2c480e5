// hostsim transform-dialog --type 1|2|3 [--active] --keys "..." [--png OUT.png]
//
// Opens libTracer's transformation dialog (DLL_PREFIX_TRANSFORMACE), presses
// the keys (one DLL_DATA_TRANSFORMACE call each) and prints the host
// services the dialog called, the axis mask and the six text buffers.
#include <stdio.h>

#include <string>

#include "host/commands/command.h"
#include "host/runners/dialog_session.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

int TransformDialogCommand(const ParsedArgs& args) {
  std::vector<uint8_t> codes;
  std::string error;
  if (!DialogKeyCodes(args.Keys("--keys"), &codes, &error)) throw UsageError("--keys " + error);
  SandboxFolder folder("transform-dialog");
  DialogSession session(folder.root());
  DialogSettings settings;
  settings.language = static_cast<uint32_t>(args.Int("--lang"));
  settings.type = static_cast<int>(args.Int("--type"));
  settings.active = args.Has("--active");
  if (!session.Load(settings, &error)) throw HostError(error);
  session.Prefix();
  int status = 0;
  for (uint8_t code : codes)
    if ((status = session.Data(code)) == 9) break;
  if (args.Has("--png") && !session.screen().WritePng(args.Text("--png"), &error)) throw HostError(error);
  const DialogHost& dialog = session.dialog();

  std::string called;
  for (const std::string& c : dialog.calls()) called += (called.empty() ? "" : ", ") + c;
  printf("services: %s\n", called.empty() ? "none" : called.c_str());
  printf("mask: 0x%02X\n", dialog.mask);
  for (int k = 0; k < 3; ++k) printf("a%d: \"%s\"\n", k + 1, dialog.Distance(k).c_str());
  for (int k = 0; k < 3; ++k) printf("angle %d: \"%s\"\n", k + 1, dialog.Angle(k).c_str());
  printf("%s\n", status == 9 ? "finished" : "open");
  return kExitOk;
}

CommandRegistration transform_dialog_command({"transform-dialog",
    "the transformation dialog of libTracer; prints the services called, mask and buffers", {
    Int("--type", 0, 255, "1", "transformation type: 1 2D(1), 2 2D(2), 3 3D(1) (others: none chosen)"),
    Flag("--active", "the transformation of the type is active"),
    KeysOption("--keys", kDialogKeys, "keys, one data call each; digits and axis letters are typed").Required(),
    Text("--png", "OUT.png", "the dialog as the operator sees it at the end"),
    LanguageOption(),
}, TransformDialogCommand});

}  // namespace
}  // namespace host
