// The few JSON texts the console server sends.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace host {

// `text` as a JSON string: quotes, backslashes and control characters
// escaped; bytes of 0x80 and above that are no UTF-8 sent as U+FFFD.
std::string JsonString(const std::string& text);
// `bytes` in base64 (a picture carried inside an event).
std::string Base64(const std::vector<uint8_t>& bytes);
// The operation table (options and keys of each) for the page.
std::string OperationsJson();

}  // namespace host
