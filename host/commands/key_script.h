// Key scripts: the keys an operator presses, as a hostsim option value.
//
// A script is a list of steps separated by commas, blanks or line ends;
// `#` starts a comment running to the line end. A value "@FILE" reads the
// script from FILE. Steps:
//   NAME          a key of the command's table (case does not matter)
//   CODE          a key code 0..255 (unless the table types other words)
//   CODE/CHAR     a key code and its character, each 0..255
//   type:TEXT     TEXT typed character by character; "type:\"a b, c\""
//                 keeps blanks and commas
//   wait MS       a pause (also wait=MS, wait:MS), 0 to 600000
//   NAME ARG      an action of the table that takes an argument (also
//                 NAME=ARG, NAME:ARG), such as `png FILE`
// A table may type every word it does not know character by character
// (forms that take numbers between the keys: "left 15 down").
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace host {

struct KeyName {
  std::string name;
  int code = 0;               // key code (keys)
  int character = 0;          // key character (keys)
  std::string help;
  std::string argument;       // non-empty: an action taking this argument
};

struct KeyTable {
  std::vector<KeyName> keys;
  bool type_other_words = false;
};

struct KeyStep {
  enum Kind { kKey, kType, kWait, kAction };
  Kind kind = kKey;
  int code = 0, character = 0;  // kKey
  std::string text;             // kType: the text; kAction: the action's name
  std::string argument;         // kAction
  uint32_t wait_ms = 0;         // kWait
  std::string token;            // the step as written, for messages
};

// Most steps one script may hold.
constexpr size_t kMaxKeySteps = 100000;
// Longest script file read (bytes).
constexpr size_t kMaxKeyScriptBytes = 1 << 20;

// Parses `script`; returns "" and fills *steps, or the reason it was
// refused (naming the step and the names the table knows).
std::string ParseKeyScript(const std::string& script, const KeyTable& table,
                           std::vector<KeyStep>* steps);

// The table's names, one "name  help" line each, for help texts.
std::string KeyTableHelp(const KeyTable& table);

}  // namespace host
