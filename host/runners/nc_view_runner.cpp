#include "host/runners/nc_view_runner.h"

#include "bridge/gdi.h"
#include "host/runners/drawing_library.h"
#include "host/services/cnc_state.h"

namespace host {

const KeyTable kNcKeys = {{
    {"up", 1, 1, "one line up", ""},
    {"down", 1, 3, "one line down", ""},
    {"right", 1, 2, "shift the text one column to the left (offset + 1)", ""},
    {"left", 1, 4, "shift the text back (offset - 1)", ""},
    {"home", 1, 6, "the start of the program", ""},
    {"pgup", 1, 7, "a page up", ""},
    {"end", 1, 8, "the last page", ""},
    {"pgdn", 1, 9, "a page down", ""},
    {"follow", 30, 0, "follow block number N (as the control reports it)", "N"},
}, false};

void NcViewRunner::Open(const std::string& text, const NcViewPage& page) {
  record_.title = page.title.c_str();
  record_.status = page.status.c_str();
  record_.viewer = page.viewer;
  record_.colouring = page.colouring ? 1 : 0;
  Init(text);
  Start();
  PaintPage();
}

NcViewRunner::NcViewRunner(Screen& screen, uint32_t pool_size)
    : graphics_(screen), anvil_(pool_size) {}

bool NcViewRunner::Load(uint32_t language, std::string* error) {
  if (!library_.Open(LibraryPath("Anvil"), error)) return false;
  init_ = library_.Bind<NcFn>("NcViewInit");
  start_ = library_.Bind<NcFn>("NcViewStart");
  cont_ = library_.Bind<NcFn>("NcViewCont");
  if (!init_ || !start_ || !cont_) {
    *error = "the Anvil library lacks the NC program viewer's exports";
    return false;
  }
  if (!InitDrawingLibrary(library_, "Anvil", nullptr, &graphics_.table(), language, error)) return false;
  if (anvil_.Initialise(library_) < 0) {
    *error = "the Anvil library lacks AnvilInit";
    return false;
  }
  record_.colouring = 1;
  return true;
}

void NcViewRunner::SetWindow(int left, int top, int right, int bottom) {
  record_.left = static_cast<uint16_t>(left);
  record_.top = static_cast<uint16_t>(top);
  record_.right = static_cast<uint16_t>(right);
  record_.bottom = static_cast<uint16_t>(bottom);
}

void NcViewRunner::Init(const std::string& text) {
  text_ = text;
  record_.text = text_.data();
  record_.length = static_cast<uint32_t>(text_.size());
  init_(&record_);
}

void NcViewRunner::Start() { start_(&record_); }

uint32_t NcViewRunner::PaintPage() {
  record_.event = 0;
  uint32_t calls = 0;
  while (calls < kMaxCallsPerPage) {
    ++calls;
    if (cont_(&record_) == 1) break;
  }
  return calls;
}

uint32_t NcViewRunner::Event(uint8_t event) {
  record_.event = event;
  cont_(&record_);
  record_.event = 0;
  // A repaint paints the page's lines one a call and completes with the
  // last; an event that changed nothing leaves every call returning 0.
  int32_t lines = (record_.bottom - record_.top - 20) / 16 - 2;
  uint32_t most = static_cast<uint32_t>(lines > 0 ? lines : 0) + 1;
  for (uint32_t calls = 1; calls <= most; ++calls)
    if (cont_(&record_) == 1) return calls;
  return 0;
}

uint32_t NcViewRunner::Key(uint8_t character) {
  record_.key = character;
  return Event(anvil::kNcEventKey);
}

uint32_t NcViewRunner::Follow(int32_t block_number) {
  record_.block = CncState::ToBcd(block_number);
  return Event(anvil::kNcEventFollow);
}

}  // namespace host
