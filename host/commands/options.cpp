#include "host/commands/options.h"

#include <errno.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "host/services/host_error.h"

namespace host {
namespace {

std::string Number(double v) {
  char text[32];
  if (v == floor(v) && fabs(v) < 1e15) snprintf(text, sizeof text, "%.0f", v);
  else snprintf(text, sizeof text, "%g", v);
  return text;
}

// A whole number in plain decimal: optional sign, digits, nothing else.
bool ParseWhole(const std::string& text, double* out) {
  size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
  if (i == text.size() || text.size() > 20) return false;
  for (size_t k = i; k < text.size(); ++k)
    if (text[k] < '0' || text[k] > '9') return false;
  errno = 0;
  long long v = strtoll(text.c_str(), nullptr, 10);
  if (errno != 0) return false;
  *out = static_cast<double>(v);
  return true;
}

// A finite decimal number: no hexadecimal, infinity or NaN spellings.
bool ParseReal(const std::string& text, double* out) {
  if (text.empty() || text.size() > 64) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E')) return false;
  char* end = nullptr;
  errno = 0;
  double v = strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

// Digits and an optional unit letter: 64k, 256M, 2G.
bool ParseBytes(const std::string& text, double* out) {
  if (text.empty() || text.size() > 16) return false;
  std::string digits = text;
  double unit = 1;
  switch (text.back()) {
    case 'k': unit = 1024.0; break;
    case 'M': unit = 1024.0 * 1024; break;
    case 'G': unit = 1024.0 * 1024 * 1024; break;
    default: break;
  }
  if (unit > 1) digits.pop_back();
  double v = 0;
  if (digits.empty() || digits[0] == '-' || digits[0] == '+' || !ParseWhole(digits, &v)) return false;
  *out = v * unit;
  return true;
}

// 65536 as "64k", 1048576 as "1M"; other counts as they are.
std::string BytesText(double v) {
  static const char* const kUnits[] = {"G", "M", "k"};
  double unit = 1024.0 * 1024 * 1024;
  for (const char* u : kUnits) {
    if (v >= unit && fmod(v, unit) == 0) return Number(v / unit) + u;
    unit /= 1024;
  }
  return Number(v);
}

bool ParseSize(const std::string& text, ScreenSize* out) {
  size_t x = text.find('x');
  if (x == std::string::npos) return false;
  double w = 0, h = 0;
  if (!ParseWhole(text.substr(0, x), &w) || !ParseWhole(text.substr(x + 1), &h)) return false;
  if (w < 1 || h < 1 || w > kMaxScreenSide || h > kMaxScreenSide) return false;
  out->width = static_cast<int>(w);
  out->height = static_cast<int>(h);
  return true;
}

bool ParseInts(const std::string& text, const Option& o, std::vector<int>* out) {
  std::vector<int> values;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    double v = 0;
    if (part.empty() || !ParseWhole(part, &v) || v < o.min || v > o.max) return false;
    values.push_back(static_cast<int>(v));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (values.size() != o.count) return false;
  *out = values;
  return true;
}

std::string ReadScriptFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw HostError(path + ": cannot read the key script");
  std::string text(kMaxKeyScriptBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) throw HostError(path + ": cannot read the key script");
  text.resize(static_cast<size_t>(in.gcount()));
  if (text.size() > kMaxKeyScriptBytes)
    throw UsageError(path + ": a key script holds at most " + std::to_string(kMaxKeyScriptBytes) + " bytes");
  return text;
}

// Checks one value of `o`; throws UsageError naming the option. Key
// scripts are parsed into *steps.
void CheckValue(const Option& o, const std::string& value, std::vector<KeyStep>* steps) {
  if (value.empty() && o.type != OptionType::kFlag && !o.empty_allowed)
    throw UsageError(o.name + ": an empty value; expected " + o.Allowed());
  bool good = true;
  std::string reason;
  double v = 0;
  switch (o.type) {
    case OptionType::kFlag:
    case OptionType::kText:
    case OptionType::kPositional:
      break;
    case OptionType::kInt:
      good = ParseWhole(value, &v) && v >= o.min && v <= o.max;
      break;
    case OptionType::kReal:
      good = ParseReal(value, &v) && v >= o.min && v <= o.max;
      break;
    case OptionType::kChoice:
      good = false;
      for (const std::string& c : o.choices) good = good || c == value;
      break;
    case OptionType::kSize: {
      ScreenSize size;
      good = ParseSize(value, &size);
      break;
    }
    case OptionType::kInts: {
      std::vector<int> ints;
      good = ParseInts(value, o, &ints);
      break;
    }
    case OptionType::kBytes:
      good = ParseBytes(value, &v) && v >= o.min && v <= o.max;
      break;
    case OptionType::kKeys: {
      std::string script = value.size() > 1 && value[0] == '@' ? ReadScriptFile(value.substr(1)) : value;
      reason = ParseKeyScript(script, *o.keys, steps);
      good = reason.empty();
      break;
    }
  }
  if (good && o.check) {
    reason = o.check(value);
    good = reason.empty();
  }
  if (!good) {
    std::string shown = value.size() > 60 ? value.substr(0, 57) + "..." : value;
    throw UsageError(o.name + " \"" + shown + "\": " + (reason.empty() ? "expected " + o.Allowed() : reason));
  }
}

bool IsOptionName(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

}  // namespace

Option Option::Required() const {
  Option o = *this;
  o.required = true;
  return o;
}
Option Option::Repeatable() const {
  Option o = *this;
  o.repeatable = true;
  return o;
}
Option Option::Rest() const {
  Option o = *this;
  o.rest = true;
  return o;
}
Option Option::EmptyAllowed() const {
  Option o = *this;
  o.empty_allowed = true;
  return o;
}
Option Option::Checked(ValueCheck fn, const std::string& allowed) const {
  Option o = *this;
  o.check = fn;
  o.check_help = allowed;
  return o;
}

std::string Option::Allowed() const {
  switch (type) {
    case OptionType::kFlag: return "no value";
    case OptionType::kInt: return "a whole number from " + Number(min) + " to " + Number(max);
    case OptionType::kReal: return "a number from " + Number(min) + " to " + Number(max);
    case OptionType::kChoice: {
      std::string list;
      for (const std::string& c : choices) list += (list.empty() ? "" : ", ") + c;
      return "one of " + list;
    }
    case OptionType::kSize: return "WIDTHxHEIGHT, each side 1 to " + std::to_string(kMaxScreenSide);
    case OptionType::kInts:
      return std::to_string(count) + " whole numbers " + metavar + ", each from " + Number(min) + " to " +
             Number(max);
    case OptionType::kKeys: return "a key script";
    case OptionType::kBytes:
      return "a byte count from " + BytesText(min) + " to " + BytesText(max) + "; k, M, G: KiB, MiB, GiB";
    case OptionType::kText:
    case OptionType::kPositional: return check_help.empty() ? metavar : check_help;
  }
  return metavar;
}

Option Flag(const std::string& name, const std::string& help) {
  Option o;
  o.type = OptionType::kFlag;
  o.name = name;
  o.help = help;
  return o;
}

Option Text(const std::string& name, const std::string& metavar, const std::string& help,
            const std::string& default_value) {
  Option o;
  o.type = OptionType::kText;
  o.name = name;
  o.metavar = metavar;
  o.help = help;
  o.default_value = default_value;
  return o;
}

Option Int(const std::string& name, double min, double max, const std::string& default_value,
           const std::string& help) {
  Option o;
  o.type = OptionType::kInt;
  o.name = name;
  o.metavar = "N";
  o.min = min;
  o.max = max;
  o.default_value = default_value;
  o.help = help;
  return o;
}

Option Real(const std::string& name, double min, double max, const std::string& default_value,
            const std::string& help) {
  Option o = Int(name, min, max, default_value, help);
  o.type = OptionType::kReal;
  o.metavar = "X";
  return o;
}

Option Choice(const std::string& name, std::vector<std::string> choices, const std::string& default_value,
              const std::string& help) {
  Option o;
  o.type = OptionType::kChoice;
  o.name = name;
  for (const std::string& c : choices) o.metavar += (o.metavar.empty() ? "" : "|") + c;
  o.choices = std::move(choices);
  o.default_value = default_value;
  o.help = help;
  return o;
}

Option SizeOption(const std::string& name, const std::string& default_value, const std::string& help) {
  Option o;
  o.type = OptionType::kSize;
  o.name = name;
  o.metavar = "WxH";
  o.default_value = default_value;
  o.help = help;
  return o;
}

Option Ints(const std::string& name, size_t count, double min, double max, const std::string& metavar,
            const std::string& help) {
  Option o;
  o.type = OptionType::kInts;
  o.name = name;
  o.count = count;
  o.min = min;
  o.max = max;
  o.metavar = metavar;
  o.help = help;
  return o;
}

Option KeysOption(const std::string& name, const KeyTable& table, const std::string& help) {
  Option o;
  o.type = OptionType::kKeys;
  o.name = name;
  o.metavar = "SCRIPT";
  o.keys = &table;
  o.help = help;
  return o;
}

Option ByteSize(const std::string& name, double min, double max, const std::string& default_value,
                const std::string& help) {
  Option o = Int(name, min, max, default_value, help);
  o.type = OptionType::kBytes;
  o.metavar = "SIZE";
  return o;
}

Option Positional(const std::string& name, const std::string& help) {
  Option o;
  o.type = OptionType::kPositional;
  o.name = name;
  o.metavar = name;
  o.help = help;
  o.required = true;
  return o;
}

Option LanguageOption() {
  return Choice("--lang", {"5", "7", "9", "12", "14", "21", "25", "36"}, "9",
                "language of the library's texts: 5 Czech, 7 German, 9 English, 12 French, 14 Hungarian, "
                "21 Polish, 25 Russian, 36 Slovenian");
}

Option MaxOutputOption() {
  return ByteSize("--max-output", 1024, 64.0 * 1024 * 1024 * 1024, "64M",
                  "stops with status 3 when the run would write more than this (its output and work files "
                  "together); the partial output is removed");
}

ParsedArgs ParseOptions(const std::string& command, const std::vector<Option>& options,
                        const std::vector<std::string>& args) {
  ParsedArgs parsed;
  parsed.command_ = command;
  parsed.options_ = &options;
  parsed.values_.resize(options.size());
  parsed.keys_.resize(options.size());
  auto find = [&](const std::string& name) -> size_t {
    for (size_t k = 0; k < options.size(); ++k)
      if (options[k].type != OptionType::kPositional && options[k].name == name) return k;
    return options.size();
  };
  std::vector<size_t> positionals;
  for (size_t k = 0; k < options.size(); ++k)
    if (options[k].type == OptionType::kPositional) positionals.push_back(k);
  size_t next_positional = 0;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!options_ended && arg == "--") {
      options_ended = true;
      continue;
    }
    if (!options_ended && IsOptionName(arg)) {
      size_t eq = arg.find('=');
      std::string name = arg.substr(0, eq);
      size_t k = find(name);
      if (k == options.size()) throw UsageError("unknown option " + name);
      const Option& o = options[k];
      std::string value;
      if (o.type == OptionType::kFlag) {
        if (eq != std::string::npos) throw UsageError(name + " takes no value");
      } else if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
      } else {
        if (i + 1 >= args.size()) throw UsageError(name + " needs a value: " + o.Allowed());
        value = args[++i];
      }
      if (!parsed.values_[k].empty() && !o.repeatable) throw UsageError(name + " is given twice");
      CheckValue(o, value, &parsed.keys_[k]);
      parsed.values_[k].push_back(value);
      continue;
    }
    if (next_positional >= positionals.size()) {
      std::string shown = arg.size() > 60 ? arg.substr(0, 57) + "..." : arg;
      throw UsageError("unexpected argument \"" + shown + "\"");
    }
    size_t k = positionals[next_positional];
    CheckValue(options[k], arg, nullptr);
    parsed.values_[k].push_back(arg);
    if (!options[k].rest) ++next_positional;
  }
  for (size_t k = 0; k < options.size(); ++k) {
    const Option& o = options[k];
    if (o.required && parsed.values_[k].empty())
      throw UsageError(o.type == OptionType::kPositional ? o.name + " is missing"
                                                         : o.name + " is required: " + o.Allowed());
  }
  return parsed;
}

const Option& ParsedArgs::Declared(const std::string& name) const {
  for (const Option& o : *options_)
    if (o.name == name) return o;
  // A command asking for an option it never declared is a fault of the
  // command's code, reported like any other host failure.
  throw HostError("hostsim " + command_ + " reads an undeclared option " + name);
}

bool ParsedArgs::Has(const std::string& name) const {
  const Option& o = Declared(name);
  return !values_[static_cast<size_t>(&o - options_->data())].empty();
}

const std::vector<std::string>& ParsedArgs::All(const std::string& name) const {
  const Option& o = Declared(name);
  return values_[static_cast<size_t>(&o - options_->data())];
}

std::string ParsedArgs::Text(const std::string& name) const {
  const Option& o = Declared(name);
  const std::vector<std::string>& v = values_[static_cast<size_t>(&o - options_->data())];
  return v.empty() ? o.default_value : v.back();
}

int64_t ParsedArgs::Int(const std::string& name) const {
  double v = 0;
  std::string text = Text(name);
  return !text.empty() && ParseWhole(text, &v) ? static_cast<int64_t>(v) : 0;
}

double ParsedArgs::Real(const std::string& name) const {
  double v = 0;
  std::string text = Text(name);
  return !text.empty() && ParseReal(text, &v) ? v : 0;
}

size_t ParsedArgs::ChoiceIndex(const std::string& name) const {
  const Option& o = Declared(name);
  std::string value = Text(name);
  for (size_t i = 0; i < o.choices.size(); ++i)
    if (o.choices[i] == value) return i;
  return 0;
}

ScreenSize ParsedArgs::Size(const std::string& name) const {
  ScreenSize size;
  std::string text = Text(name);
  if (text.empty() || !ParseSize(text, &size)) return ScreenSize{};
  return size;
}

std::vector<int> ParsedArgs::Ints(const std::string& name) const {
  std::vector<int> values;
  std::string text = Text(name);
  if (!text.empty()) ParseInts(text, Declared(name), &values);
  return values;
}

uint64_t ParsedArgs::Bytes(const std::string& name) const {
  double v = 0;
  std::string text = Text(name);
  return !text.empty() && ParseBytes(text, &v) ? static_cast<uint64_t>(v) : 0;
}

const std::vector<KeyStep>& ParsedArgs::Keys(const std::string& name) const {
  const Option& o = Declared(name);
  return keys_[static_cast<size_t>(&o - options_->data())];
}

std::string UsageLine(const std::string& command, const std::vector<Option>& options) {
  std::string line = "hostsim " + command;
  bool optional = false;
  for (const Option& o : options) {
    if (o.type == OptionType::kPositional) {
      std::string p = o.name + (o.rest ? "..." : "");
      line += o.required ? " " + p : " [" + p + "]";
    } else if (o.required) {
      line += " " + o.name + " " + o.metavar;
    } else {
      optional = true;
    }
  }
  return line + (optional ? " [options]" : "");
}

namespace {

// "--lang N" / "--quiet" / "PROGRAM" as shown in help texts.
std::string Synopsis(const Option& o) {
  if (o.type == OptionType::kPositional) return o.name + (o.rest ? "..." : "");
  if (o.type == OptionType::kFlag) return o.name;
  return o.name + " " + o.metavar;
}

// What --help says about the value beyond the option's own text.
std::string ValueNotes(const Option& o) {
  std::string notes;
  if (o.type != OptionType::kFlag && o.type != OptionType::kText && o.type != OptionType::kPositional &&
      o.type != OptionType::kKeys)
    notes = o.Allowed();
  else if (!o.check_help.empty())
    notes = o.check_help;
  if (!o.default_value.empty()) notes += (notes.empty() ? "" : "; ") + std::string("default ") + o.default_value;
  if (o.required && o.type != OptionType::kPositional) notes += (notes.empty() ? "" : "; ") + std::string("required");
  if (o.repeatable) notes += (notes.empty() ? "" : "; ") + std::string("may be repeated");
  return notes;
}

}  // namespace

std::string HelpText(const std::string& command, const std::string& summary, const std::vector<Option>& options) {
  std::string text = "usage: " + UsageLine(command, options) + "\n\n" + summary + "\n";
  if (!options.empty()) text += "\n";
  for (const Option& o : options) {
    std::string head = "  " + Synopsis(o);
    text += head + (head.size() < 26 ? std::string(26 - head.size(), ' ') : "\n" + std::string(26, ' ')) +
            o.help;
    std::string notes = ValueNotes(o);
    if (!notes.empty()) text += " (" + notes + ")";
    text += "\n";
    if (o.type == OptionType::kKeys) {
      std::istringstream lines(KeyTableHelp(*o.keys));
      std::string line;
      while (std::getline(lines, line)) text += std::string(30, ' ') + line + "\n";
    }
  }
  text += "\nExit status: 0 done, 1 the library reported a failure, 2 usage, 3 host failure (files, devices).\n";
  return text;
}

std::string MarkdownHelp(const std::string& command, const std::string& summary,
                         const std::vector<Option>& options) {
  std::string text = "#### hostsim " + command + "\n\n" + summary + "\n\n```\n" + UsageLine(command, options) +
                     "\n```\n\n";
  if (options.empty()) return text;
  text += "| Option | Meaning | Values |\n|---|---|---|\n";
  auto cell = [](std::string s) {
    std::string out;
    for (char c : s) {
      if (c == '|') out += "\\|";
      else if (c == '\n') out += "<br>";
      else out += c;
    }
    return out;
  };
  for (const Option& o : options) {
    std::string values = ValueNotes(o);
    if (o.type == OptionType::kKeys) {
      std::string names;
      for (const KeyName& k : o.keys->keys)
        names += (names.empty() ? "" : ", ") + ("`" + k.name + (k.argument.empty() ? "" : " " + k.argument) + "`");
      values = "key script" + (names.empty() ? "" : ": " + names);
    }
    text += "| `" + cell(Synopsis(o)) + "` | " + cell(o.help) + " | " + cell(values) + " |\n";
  }
  return text + "\n";
}

}  // namespace host
