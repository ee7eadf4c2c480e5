// The texts a library wrote into the host's text boxes, read back from the
// graphics call recorder.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/services/call_recorder.h"

namespace testing_support {

// Every text written, as UTF-8, with the top of the text box it went into.
std::vector<std::pair<int, std::string>> WrittenTexts(const host::CallRecorder& recorder);

// The last text written into a box whose top is `top` ("" when none was).
std::string LastTextAt(const host::CallRecorder& recorder, int top);

}  // namespace testing_support
