// hostsim led [--corr EIGHTHS] [--transform off|A|B] --png OUT.png
// hostsim led --convert W230,W229 [--transform A] [--coef M0,M1,M3,M4]
//
// Runs libMosaic over the simulated shared memory block: the common dialog
// (Start, Cont, Stop: it only takes over the palette), then the LED window,
// which writes the second height-sensor correction and the transformation
// state; or, with --convert, the window's conversion mode, which prints the
// two coordinates the library stores.
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/runners/led_session.h"
#include "host/services/sandbox_folder.h"

namespace host {
namespace {

// Four comma-separated real numbers.
bool ParseCoefficients(const std::string& text, std::vector<long double>* values) {
  values->clear();
  const char* p = text.c_str();
  while (*p != '\0') {
    char* end = nullptr;
    const long double v = strtold(p, &end);
    if (end == p) return false;
    values->push_back(v);
    p = end;
    if (*p == ',') ++p;
    else if (*p != '\0') return false;
  }
  return values->size() == 4;
}

std::string CheckCoefficients(const std::string& value) {
  std::vector<long double> values;
  return ParseCoefficients(value, &values) ? "" : "four numbers separated by commas";
}

int Led(const ParsedArgs& args) {
  const bool convert = args.Has("--convert");
  if (!convert && !args.Has("--png")) throw UsageError("--png: required unless --convert is given");
  SandboxFolder folder("led");
  LedSession session(folder.root());
  std::string error;
  if (!session.Load(static_cast<uint32_t>(args.Int("--lang")), &error)) throw HostError(error);

  static const MosaicTransform kStates[] = {MosaicTransform::kOff, MosaicTransform::kVariantA,
                                            MosaicTransform::kVariantB};
  LedSettings settings;
  settings.transform = kStates[args.ChoiceIndex("--transform")];
  settings.correction = static_cast<int32_t>(args.Int("--corr"));
  std::vector<long double> m;
  ParseCoefficients(args.Text("--coef"), &m);
  for (int k = 0; k < 4; ++k) settings.coefficients[k] = m[static_cast<size_t>(k)];
  session.Apply(settings);

  if (convert) {
    const std::vector<int> words = args.Ints("--convert");
    double first = 0, second = 0;
    if (session.mosaic().Convert(EncodeBcd(words[0]), EncodeBcd(words[1]), &first, &second) != 0)
      return LibraryFailure("DLL_DISPLAY_WIN_LED did not return 0");
    printf("%.17g %.17g\n", first, second);
    if (!args.Has("--png")) return kExitOk;
  }

  const std::string failed = session.Draw();
  if (!failed.empty()) return LibraryFailure(failed);
  const std::string png = args.Text("--png");
  if (!session.screen().WritePng(png, &error)) throw HostError(error);
  if (!args.Has("--quiet")) printf("%s: %zu display calls\n", png.c_str(), session.display_calls());
  return kExitOk;
}

CommandRegistration led_command({"led", "the LED status window of libMosaic, or its coordinate conversion", {
    Text("--png", "FILE", "the picture to write (required unless --convert)"),
    Int("--corr", -2147483648.0, 2147483647.0, "0", "second height-sensor correction, eighths of a micrometre"),
    Choice("--transform", {"off", "A", "B"}, "off", "state of the coordinate transformation"),
    Ints("--convert", 2, -79999999, 79999999, "W230,W229",
         "convert the coordinate words 230 and 229 (whole numbers, stored as BCD) and print the two results"),
    Text("--coef", "M0,M1,M3,M4", "transformation coefficients used by --convert", "1,0,0,1")
        .Checked(CheckCoefficients, "four numbers separated by commas"),
    LanguageOption(),
    Flag("--quiet", "print nothing on success"),
}, Led});

}  // namespace
}  // namespace host
