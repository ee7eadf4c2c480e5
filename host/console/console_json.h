// The few JSON texts the console server sends.
#pragma once

#include <string>

namespace host {

// `text` as a JSON string: quotes, backslashes and control characters
// escaped; bytes of 0x80 and above that are no UTF-8 sent as U+FFFD.
std::string JsonString(const std::string& text);
// The operation table (options and keys of each) for the page.
std::string OperationsJson();

}  // namespace host
