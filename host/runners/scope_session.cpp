#include "host/runners/scope_session.h"

#include <filesystem>

#include "host/runners/scope_script.h"

namespace host {
namespace {

constexpr int kScreenWidth = 640, kScreenHeight = 480, kBarY = 440;

}  // namespace

void DefaultScopeSignals(SignalShape (&signals)[kGlintChannels]) {
  std::string error;
  const char* defaults[] = {"0=sine:20000:500", "1=square:100:300", "2=ramp:25000:1000",
                            "3=noise:40",       "6=pulse:200:50",   "7=pulse:300:150",
                            "8=pulse:1000:500", "9=pulse:70:10"};
  for (const char* d : defaults) {
    int k = 0;
    SignalShape shape;
    if (ParseSignalOption(d, &k, &shape, &error)) signals[k] = shape;
  }
}

void UseGeneratedSignals(const SignalShape (&signals)[kGlintChannels], uint32_t rows, int64_t trigger_row,
                         const bool (&typed)[kGlintChannels], ScopeSettings* settings) {
  settings->recording = GenerateRecording(signals, rows, trigger_row);
  for (int k = 0; k < kGlintChannels; ++k)
    if (signals[k].digital() && !typed[k]) settings->host.descriptor_bytes[k] = 1;
}

ScopeSession::ScopeSession(const std::string& folder)
    : files_(folder), screen_(kScreenWidth, kScreenHeight), display_(screen_, TextStyle::kScreen),
      runner_(files_, display_) {
  std::error_code ignored;
  std::filesystem::create_directories(folder + "/c/glint", ignored);
  display_.recorder().Enable(false);
}

bool ScopeSession::Open(const ScopeSettings& settings, std::string* error) {
  // Without Vitals the bar's keys stay blank.
  std::string vitals_error;
  if (vitals_.Open(LibraryPath("Vitals"), &vitals_error)) {
    auto init = vitals_.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
    if (init != nullptr && init(nullptr, settings.language)) label_ = vitals_.Bind<const char* (*)(uint32_t)>("GetLocString");
  }
  if (!runner_.Load(error)) return false;
  runner_.Setup(settings.host, settings.recording);
  if (settings.run_ms >= 0) {
    runner_.Run();
    runner_.Prefix();
    runner_.Advance(static_cast<uint32_t>(settings.run_ms));
  } else {
    runner_.FillStopped();
    runner_.Prefix();
  }
  return true;
}

void ScopeSession::Step(const KeyStep& step) {
  if (step.kind == KeyStep::kWait) {
    runner_.Advance(step.wait_ms);
  } else if (step.kind == KeyStep::kAction && step.text == "layout") {
    runner_.record().layout = step.argument.empty() ? 'C' : step.argument[0];
    runner_.Prefix();
  } else if (step.kind == KeyStep::kKey && step.code == kScopeStepRun) {
    runner_.Run();
  } else if (step.kind == KeyStep::kKey && step.code == kScopeStepStop) {
    runner_.Stop();
  } else if (step.kind == KeyStep::kKey) {
    runner_.Data(static_cast<uint8_t>(step.code));
    bar_ = ScopeBarAfterKey(static_cast<uint8_t>(step.code), bar_);
  }
}

Screen& ScopeSession::Picture() {
  DrawScopeSoftKeys(screen_, kBarY, bar_, [this](uint32_t id) {
    const char* text = label_ != nullptr ? label_(id) : nullptr;
    return std::string(text != nullptr ? text : "");
  });
  return screen_;
}

}  // namespace host
