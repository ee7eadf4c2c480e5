// The hostsim option parser: every command declares its options once, with
// type, range and default, and gets parsing, refusals that name the option
// and what it allows, `--help`, and its README reference from that list.
//
// How a new command declares its options (copy this):
//
//   #include "host/commands/command.h"
//   namespace host {
//   namespace {
//   int Run(const ParsedArgs& args) {
//     std::string png = args.Text("--png");        // validated already
//     int64_t language = args.Int("--lang");       // the default when absent
//     ScreenSize size = args.Size("--size");
//     if (args.Has("--quiet")) ...
//     for (const KeyStep& step : args.Keys("--keys")) ...
//     if (library_failed) return LibraryFailure(text_as_utf8);   // prints it, 1
//     return kExitOk;                              // HostError/UsageError may be thrown
//   }
//   CommandRegistration command({"mything", "draws my thing", {
//       Positional("PROGRAM", "the program to draw"),
//       Text("--png", "FILE", "the picture to write").Required(),
//       Choice("--library", {"Kerf", "Anvil"}, "Kerf", "the library that draws"),
//       Int("--lang", 0, 255, "9", "language of the library's texts"),
//       SizeOption("--size", "800x600", "screen size"),
//       Real("--zoom", 0.01, 100, "1", "zoom factor"),
//       Ints("--window", 4, -32768, 32767, "L,T,R,B", "clip window"),
//       Flag("--quiet", "print nothing on success"),
//       KeysOption("--keys", kMyKeys, "keys pressed, one per DATA call"),
//   }, Run});
//   }  // namespace
//   }  // namespace host
//
// Command lines: `--name VALUE` or `--name=VALUE`; a flag takes no value;
// `--` ends the options; every option may be given once unless declared
// Repeatable() (then ParsedArgs::All lists each value). A value that starts
// with '-' is taken as a value (so `--delay -1` reaches the range check).
// `-h` and `--help` print the command's help. Positional arguments are
// matched in order; Rest() takes every remaining one. An empty value
// (`--out=`, `--out ""`, `""`) is refused unless declared EmptyAllowed():
// it is nearly always a shell variable that was never set.
// Limits every command shares: kMaxScreenSide for screen sizes.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "host/commands/key_script.h"

namespace host {

// Largest screen side any command draws (pixels).
constexpr int kMaxScreenSide = 4096;

enum class OptionType { kFlag, kText, kInt, kReal, kChoice, kSize, kInts, kKeys, kBytes, kPositional };

// A value check beyond the type: returns "" when `value` is fine, else
// the reason (printed after the option's name).
using ValueCheck = std::string (*)(const std::string& value);

struct Option {
  OptionType type = OptionType::kText;
  std::string name;         // "--png", or the positional's placeholder
  std::string metavar;      // placeholder of the value in help texts
  std::string help;
  std::string default_value;  // as typed on a command line; "" = none
  double min = 0, max = 0;    // kInt, kReal, kInts, kBytes: inclusive range
  size_t count = 0;           // kInts: how many numbers
  std::vector<std::string> choices;  // kChoice
  const KeyTable* keys = nullptr;    // kKeys
  ValueCheck check = nullptr;
  std::string check_help;     // what `check` allows, for help texts
  bool required = false;
  bool repeatable = false;
  bool rest = false;          // kPositional: takes every remaining argument
  bool empty_allowed = false; // "" is a value of its own (else refused)

  Option Required() const;
  Option Repeatable() const;
  Option Rest() const;
  // Takes "" as a value (an empty answer, say); other options refuse it.
  Option EmptyAllowed() const;
  // Adds a check; `allowed` describes what passes it.
  Option Checked(ValueCheck fn, const std::string& allowed) const;
  // The allowed values in words ("a whole number from 0 to 255").
  std::string Allowed() const;
};

Option Flag(const std::string& name, const std::string& help);
Option Text(const std::string& name, const std::string& metavar, const std::string& help,
            const std::string& default_value = "");
Option Int(const std::string& name, double min, double max, const std::string& default_value,
           const std::string& help);
Option Real(const std::string& name, double min, double max, const std::string& default_value,
            const std::string& help);
Option Choice(const std::string& name, std::vector<std::string> choices,
              const std::string& default_value, const std::string& help);
// WIDTHxHEIGHT, each side 1 to kMaxScreenSide.
Option SizeOption(const std::string& name, const std::string& default_value, const std::string& help);
// `count` comma-separated whole numbers, each within [min, max].
Option Ints(const std::string& name, size_t count, double min, double max, const std::string& metavar,
            const std::string& help);
// A key script (host/commands/key_script.h) with the names of `table`.
Option KeysOption(const std::string& name, const KeyTable& table, const std::string& help);
// A byte count: digits with an optional k, M or G (KiB, MiB, GiB).
Option ByteSize(const std::string& name, double min, double max, const std::string& default_value,
                const std::string& help);
Option Positional(const std::string& name, const std::string& help);
// --lang: the operator's language as the libraries number it (default 9,
// English), shared by every command that loads a library with texts.
Option LanguageOption();
// --max-output: how much a command that generates files may write before
// it stops (host/commands/output_watch.h), shared by those commands.
Option MaxOutputOption();

struct ScreenSize {
  int width = 0, height = 0;
};

// The checked values of one command line.
class ParsedArgs {
 public:
  // True when the option was given on the command line.
  bool Has(const std::string& name) const;
  // The (last) value, or the declared default; "" when neither.
  std::string Text(const std::string& name) const;
  int64_t Int(const std::string& name) const;
  double Real(const std::string& name) const;
  // Index of the value among the declared choices.
  size_t ChoiceIndex(const std::string& name) const;
  ScreenSize Size(const std::string& name) const;
  std::vector<int> Ints(const std::string& name) const;
  uint64_t Bytes(const std::string& name) const;
  const std::vector<KeyStep>& Keys(const std::string& name) const;
  // Every value of a repeatable option (or of a Rest() positional).
  const std::vector<std::string>& All(const std::string& name) const;

 private:
  friend ParsedArgs ParseOptions(const std::string&, const std::vector<Option>&,
                                 const std::vector<std::string>&);
  const Option& Declared(const std::string& name) const;
  std::string command_;
  const std::vector<Option>* options_ = nullptr;
  std::vector<std::vector<std::string>> values_;  // per declared option
  std::vector<std::vector<KeyStep>> keys_;        // per declared option (kKeys)
};

// Parses `args` against `options`. Throws UsageError naming the option and
// what it allows; HostError when a key-script file cannot be read.
ParsedArgs ParseOptions(const std::string& command, const std::vector<Option>& options,
                        const std::vector<std::string>& args);

// The usage line ("hostsim view PROGRAM --png FILE [options]") and the
// --help text of a command.
std::string UsageLine(const std::string& command, const std::vector<Option>& options);
std::string HelpText(const std::string& command, const std::string& summary,
                     const std::vector<Option>& options);
// The command's option reference as Markdown.
std::string MarkdownHelp(const std::string& command, const std::string& summary,
                         const std::vector<Option>& options);

}  // namespace host
