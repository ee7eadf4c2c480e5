// hostsim charset: text turned into the control's character set through
// libVitals' exports (UnicodeToZORV_DLL for UTF-8 text, one call per
// UTF-16 code unit; WinToZORV_DLL for a code-page-1250 file, one call per
// byte). Prints the codes as hexadecimal bytes, sixteen a line.
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "host/commands/command.h"
#include "host/commands/file_args.h"
#include "host/services/loader.h"

namespace host {
namespace {

// UTF-8 to UTF-16 code units; "" or why the text is not UTF-8.
std::string Utf16(const std::string& text, std::vector<uint32_t>* units) {
  for (size_t i = 0; i < text.size();) {
    uint8_t c = static_cast<uint8_t>(text[i]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= text.size())
      return "byte " + std::to_string(i) + " does not start a UTF-8 character";
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      uint8_t next = static_cast<uint8_t>(text[i + static_cast<size_t>(k)]);
      if ((next & 0xC0) != 0x80) return "byte " + std::to_string(i) + ": a broken UTF-8 sequence";
      cp = cp << 6 | (next & 0x3F);
    }
    i += 1 + static_cast<size_t>(extra);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      units->push_back(0xD800 | cp >> 10);
      units->push_back(0xDC00 | (cp & 0x3FF));
    } else {
      units->push_back(cp);
    }
  }
  return "";
}

int Charset(const ParsedArgs& args) {
  bool utf8 = args.Has("--utf8"), cp1250 = args.Has("--cp1250");
  if (utf8 == cp1250) throw UsageError("charset: give --utf8 TEXT or --cp1250 FILE");
  std::vector<uint32_t> inputs;
  if (utf8) {
    std::string why = Utf16(args.Text("--utf8"), &inputs);
    if (!why.empty()) throw UsageError("--utf8: " + why);
  } else {
    for (char c : ReadInputFile(args.Text("--cp1250"), 1u << 20)) inputs.push_back(static_cast<uint8_t>(c));
  }
  Library library;
  std::string error;
  if (!library.Open(LibraryPath("Vitals"), &error)) throw HostError(error);
  auto convert = library.Bind<uint32_t (*)(uint32_t)>(utf8 ? "UnicodeToZORV_DLL" : "WinToZORV_DLL");
  if (convert == nullptr) throw HostError("libVitals lacks its character-set exports");
  for (size_t i = 0; i < inputs.size(); ++i) {
    uint32_t code = convert(inputs[i]);
    printf("%02X%s", code, i + 1 == inputs.size() || i % 16 == 15 ? "\n" : " ");
    if (code > 0xFF) {
      fprintf(stderr, "hostsim charset: %s returned 0x%X for 0x%X\n", utf8 ? "UnicodeToZORV_DLL" : "WinToZORV_DLL",
              code, inputs[i]);
      return kExitLibraryFailure;
    }
  }
  return kExitOk;
}

CommandRegistration charset_command({"charset",
    "text in the control's character set through libVitals (UnicodeToZORV_DLL, WinToZORV_DLL)", {
    Text("--utf8", "TEXT", "the text, converted one UTF-16 code unit at a time"),
    Text("--cp1250", "FILE", "a code-page-1250 file, converted one byte at a time (at most 1 MiB)"),
}, Charset});

}  // namespace
}  // namespace host
