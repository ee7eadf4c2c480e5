// What the console can run: each operation names the batch command that
// runs the same thing, the options the page offers and the keys the
// operator presses (PC key, on-screen label, key-script word, host key
// code). The server reads this table; the operation itself runs in
// hostsim-operation.
//
// A screen joins the console with one row in the table of
// operation_table.cpp and a run function (operations_*.cpp, listed in
// operation_worker.cpp): set up the host as the batch command does, call
// the library, and report through the OperationLink.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

namespace host {

class OperationLink;

struct OperationOption {
  // kFixed: always given with its default (a flag when that is empty),
  // not offered on the page. kFolder: a folder of the sandbox.
  enum Kind { kFile, kChoice, kNumber, kFlag, kFixed, kFolder };
  std::string name;   // the batch command's option ("--type"), or its positional ("PROGRAM")
  std::string label;  // what the page shows
  Kind kind = kChoice;
  std::string default_value;
  std::vector<std::string> choices;  // kChoice
  int min = 0, max = 0;              // kNumber
};

struct KeyBinding {
  std::string pc;     // the browser's name of the PC key ("ArrowRight", "Enter", "5")
  std::string label;  // the on-screen button and the table's text
  std::string word;   // the key script's word for it
  int code = 0;       // the host key code the operation receives
};

// The checked option values of one start, by option name; files resolved
// inside the sandbox. "--lang" is always present.
using OptionValues = std::map<std::string, std::string>;

struct OperationRequest {
  OptionValues values;
  OptionValues shown;  // the same as the page gave them (files relative to the sandbox)
  std::string folder;  // the operation's own drive folder (empty at start)
};

using OperationMain = void (*)(const OperationRequest& request, OperationLink& link);

struct Operation {
  std::string id;       // the page's name for it
  std::string title;
  std::string command;  // the batch command that runs the same
  std::vector<OperationOption> options;
  std::vector<KeyBinding> keys;
  // How the batch command replays the keys: a key script given to this
  // option, or (replay_count) the number of keys pressed given to it; ""
  // for an operation that takes no keys.
  std::string replay_option = "--keys";
  bool replay_count = false;
  // Whether the batch command takes --lang (a test card draws no texts of
  // a library).
  bool takes_language = true;
};

const std::vector<Operation>& ConsoleOperations();
const Operation* FindOperation(const std::string& id);
const KeyBinding* FindKey(const Operation& operation, int code);

// Checks the page's values against the operation's options (choices,
// ranges, sandbox files) and fills in defaults; returns "" or the reason
// naming the option.
std::string CheckOptionValues(const Operation& operation, const std::string& sandbox,
                              const std::map<std::string, std::string>& given, uint32_t language,
                              OptionValues* values, OptionValues* shown);

// The batch command line that replays a recording: `shown` are the values
// as the page gave them (files relative to the sandbox), `replay` the key
// script file or the key count.
std::string BatchCommandLine(const Operation& operation, const OptionValues& shown, const std::string& replay,
                             const std::string& png);

}  // namespace host
