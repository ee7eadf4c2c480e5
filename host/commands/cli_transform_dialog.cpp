// hostsim transform-dialog --type 1|2|3 [--active] --keys "..." [--png OUT.png]
//
// Opens libTracer's transformation dialog (DLL_PREFIX_TRANSFORMACE), presses
// the keys (one DLL_DATA_TRANSFORMACE call each) and prints the host
// services the dialog called, the axis mask and the six text buffers.
#include <stdio.h>

#include <string>

#include "host/commands/command.h"
#include "host/runners/dialog_runner.h"
#include "host/screen/screen.h"
#include "host/services/dialog_host.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

int TransformDialogCommand(const ParsedArgs& args) {
  std::vector<uint8_t> codes;
  std::string error;
  if (!DialogKeyCodes(args.Keys("--keys"), &codes, &error)) throw UsageError("--keys " + error);
  SandboxFolder folder("transform-dialog");
  FileServices files(folder.root());
  Screen screen(640, 480);
  DisplayServices display(screen, TextStyle::kForm);
  screen.Clear(display.block()[BARVA_T14]);
  TracerHost tracer(display, &files);
  DialogHost dialog(tracer);
  TracerRunner runner(tracer, files);
  if (!runner.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);
  const int type = static_cast<int>(args.Int("--type"));
  tracer.record().transformType = static_cast<uint8_t>(type);
  if (args.Has("--active") && type >= 1 && type <= 3) dialog.active[type - 1] = 1;

  DialogRunner run(runner, tracer);
  run.Prefix();
  const int status = run.Run(codes);
  if (args.Has("--png") && !screen.WritePng(args.Text("--png"), &error)) throw HostError(error);

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
