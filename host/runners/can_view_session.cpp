#include "host/runners/can_view_session.h"

#include <filesystem>

namespace host {
namespace {

constexpr uint32_t kTicksPerMs = 1000;  // a 1 MHz counter

std::string SystemFolder(const std::string& folder) {
  std::error_code ignored;
  std::filesystem::create_directories(folder + "/c/system", ignored);
  return folder + "/c/system";
}

}  // namespace

const KeyTable kCanViewKeys = {{
    {"up", 1, 1, "cursor up (in a dialog: the previous field)", ""},
    {"down", 1, 3, "cursor down (in a dialog: the next field)", ""},
    {"pgdn", 1, 2, "a page down", ""},
    {"pgup", 1, 4, "a page up", ""},
    {"home", 1, 6, "the first line", ""},
    {"end", 1, 8, "the last line", ""},
    {"swap", 1, 32, "swap mode on or off (the packet travels with the cursor)", ""},
    {"delete", 1, 46, "delete the line under the cursor (in a dialog field: the last character)", ""},
    {"resend", 1, 255, "send the packet under the cursor again", ""},
    {"enter", 1, 255, "press the focused dialog button (on a field: the next one)", ""},
    {"pane", 70, 0, "the other pane", ""},
    {"new", 71, 0, "the \"New packet\" dialog", ""},
    {"settings", 72, 0, "the \"Settings\" dialog", ""},
    {"record", 73, 0, "start recording into the file", ""},
    {"stop", 74, 0, "stop recording", ""},
    {"open", 75, 0, "open the channel (capture on)", ""},
    {"close", 76, 0, "close the channel (capture off)", ""},
}, false};

CanViewSession::CanViewSession(const std::string& folder, int width, int height)
    : system_(SystemFolder(folder)), files_(folder), screen_(width, height),
      runner_(files_, screen_, &ticks_, kTicksPerMs * 1000) {
  runner_.graphics().recorder().Enable(false);
}

bool CanViewSession::Open(const CanViewSettings& settings, std::string* error) {
  if (!runner_.Load(settings.options, error)) return false;
  CanBus& bus = runner_.bus();
  for (const CanViewSource& s : settings.sources) bus.SetSource(s.channel, s.frames);
  bus.SetPaced(settings.paced);
  bus.SetMailboxDelay(settings.mailbox_delay_ms);
  bus.Start(now_);
  runner_.Data();
  runner_.Start();
  return true;
}

void CanViewSession::Run(uint32_t ms) {
  for (uint32_t end = now_ + ms; now_ < end; now_ += kCanStepMs) {
    ticks_ = now_ * kTicksPerMs;
    runner_.bus().Step(now_);
    runner_.Data();
    runner_.Cont();
  }
  ticks_ = now_ * kTicksPerMs;
}

void CanViewSession::Step(const KeyStep& step) {
  if (step.kind == KeyStep::kWait) {
    Run(step.wait_ms);
  } else if (step.kind == KeyStep::kType) {
    for (char c : step.text) runner_.Cont(1, static_cast<uint8_t>(c == '.' ? 0x2B : c));  // '.' is the panel's 0x2B
  } else if (step.kind == KeyStep::kKey) {
    runner_.Cont(static_cast<uint8_t>(step.code), static_cast<uint8_t>(step.character));
    Run(kCanStepMs);
  }
}

}  // namespace host
