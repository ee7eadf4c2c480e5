#include "host/commands/key_script.h"

#include <ctype.h>

namespace host {
namespace {

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// A whole number within [0, max], digits only.
bool SmallNumber(const std::string& text, long max, long* out) {
  if (text.empty() || text.size() > 9) return false;
  long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > max) return false;
  *out = v;
  return true;
}

// Splits the script into words: separators are commas, blanks and line
// ends; '#' comments run to the line end; "..." keeps separators inside.
// Returns "" or the reason.
std::string Words(const std::string& script, std::vector<std::string>* words) {
  std::string word;
  bool quoted = false, in_word = false;
  for (size_t i = 0; i < script.size(); ++i) {
    char c = script[i];
    if (quoted) {
      if (c == '"') quoted = false;
      else word += c;
      continue;
    }
    if (c == '"') {
      quoted = true;
      in_word = true;
    } else if (c == '#' && !in_word) {
      while (i < script.size() && script[i] != '\n') ++i;
    } else if (c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (in_word) words->push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (quoted) return "a quote is not closed";
  if (in_word) words->push_back(word);
  return "";
}

const KeyName* Find(const KeyTable& table, const std::string& name) {
  for (const KeyName& k : table.keys)
    if (SameName(k.name, name)) return &k;
  return nullptr;
}

std::string Known(const KeyTable& table) {
  std::string names;
  for (const KeyName& k : table.keys) names += (names.empty() ? "" : ", ") + k.name;
  return names.empty() ? "key codes, CODE/CHAR, type:TEXT, wait MS"
                       : names + ", a key code, CODE/CHAR, type:TEXT, wait MS";
}

}  // namespace

std::string ParseKeyScript(const std::string& script, const KeyTable& table, std::vector<KeyStep>* steps) {
  std::vector<std::string> words;
  std::string problem = Words(script, &words);
  if (!problem.empty()) return problem;
  steps->clear();
  for (size_t i = 0; i < words.size(); ++i) {
    if (steps->size() >= kMaxKeySteps)
      return "more than " + std::to_string(kMaxKeySteps) + " steps";
    const std::string& word = words[i];
    KeyStep step;
    step.token = word;
    size_t sep = word.find_first_of("=:");
    std::string head = sep == std::string::npos ? word : word.substr(0, sep);
    bool attached = sep != std::string::npos;
    std::string attached_arg = attached ? word.substr(sep + 1) : std::string();
    // An argument: attached (NAME=ARG, NAME:ARG) or the next word.
    auto argument = [&](std::string* out) {
      if (attached) {
        *out = attached_arg;
      } else {
        if (i + 1 >= words.size()) return false;
        *out = words[++i];
        step.token += " " + *out;
      }
      return !out->empty();
    };
    long code = 0, character = 0;
    if (SameName(head, "type") && attached) {
      if (attached_arg.empty()) return "\"" + word + "\": nothing to type";
      step.kind = KeyStep::kType;
      step.text = attached_arg;
    } else if (SameName(head, "wait")) {
      std::string ms;
      long v = 0;
      if (!argument(&ms) || !SmallNumber(ms, 600000, &v))
        return "\"" + step.token + "\": wait takes milliseconds from 0 to 600000";
      step.kind = KeyStep::kWait;
      step.wait_ms = static_cast<uint32_t>(v);
    } else if (const KeyName* key = Find(table, head)) {
      if (!key->argument.empty()) {
        step.kind = KeyStep::kAction;
        step.text = key->name;
        if (!argument(&step.argument))
          return "\"" + step.token + "\": " + key->name + " takes " + key->argument;
      } else {
        if (attached) return "\"" + word + "\": " + key->name + " takes no argument";
        step.kind = KeyStep::kKey;
        step.code = key->code;
        step.character = key->character;
      }
    } else if (size_t slash = word.find('/');
               slash != std::string::npos && SmallNumber(word.substr(0, slash), 255, &code) &&
               SmallNumber(word.substr(slash + 1), 255, &character)) {
      step.kind = KeyStep::kKey;
      step.code = static_cast<int>(code);
      step.character = static_cast<int>(character);
    } else if (table.type_other_words) {
      step.kind = KeyStep::kType;
      step.text = word;
    } else if (SmallNumber(word, 255, &code)) {
      step.kind = KeyStep::kKey;
      step.code = static_cast<int>(code);
    } else {
      return "\"" + word + "\" is no key; known: " + Known(table);
    }
    steps->push_back(step);
  }
  return "";
}

std::string KeyTableHelp(const KeyTable& table) {
  std::string text;
  for (const KeyName& k : table.keys) {
    std::string name = k.name + (k.argument.empty() ? "" : " " + k.argument);
    text += name + std::string(name.size() < 16 ? 16 - name.size() : 1, ' ') + k.help + "\n";
  }
  return text;
}

}  // namespace host
