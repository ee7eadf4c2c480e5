#include "host/runners/transform_session.h"

#include <sys/stat.h>

#include <filesystem>

#include "host/runners/view_runner.h"
#include "host/services/tick_clock.h"
#include "kerf/transform.h"

namespace host {

const KeyTable kTransformKeys = {{
    {"previous", kKeyPrevious, 0, "the previous field or button", ""},
    {"next", kKeyNext, 0, "the next field or button", ""},
    {"left", kKeyToggleA, 0, "yes/no field: the other answer", ""},
    {"right", kKeyToggleB, 0, "yes/no field: the other answer", ""},
    {"point", kKeyPoint, 0, "the decimal point", ""},
    {"clear", kKeyDelete, 0, "delete the field's last character", ""},
    {"sign", kKeySign, 0, "change the value's sign", ""},
    {"enter", kKeyEnter, 0, "press the button (OK writes the program, Cancel closes)", ""},
}, true};

int TransformTypedKey(char c) {
  if (c >= '0' && c <= '9') return c;
  if (c == '.') return kKeyPoint;
  if (c == '-') return kKeySign;
  return -1;
}

TransformSession::TransformSession(const std::string& folder)
    : files_(folder), graphics_(screen_), info_(std::make_unique<TRANSFORM_INFO>()) {}

TransformSession::~TransformSession() = default;

bool TransformSession::Load(const TransformSettings& s, std::string* error, bool* library_failure) {
  namespace fs = std::filesystem;
  settings_ = s;
  *library_failure = false;
  const fs::path programs = fs::path(files_.root()) / "c" / "programs";
  std::error_code ec;
  fs::create_directories(programs, ec);
  fs::create_directories(fs::path(files_.root()) / "c" / "cmos", ec);
  const std::string even = s.even.empty() ? s.odd : s.even;
  fs::copy_file(s.odd, programs / "odd.knf", fs::copy_options::overwrite_existing, ec);
  std::error_code same_error;
  const bool same = fs::equivalent(s.odd, even, same_error);
  if (!same && !ec) fs::copy_file(even, programs / "even.knf", fs::copy_options::overwrite_existing, ec);
  if (ec) {
    *error = "cannot copy the contours into the drive: " + ec.message();
    return false;
  }
  odd_dos_ = "c:\\programs\\odd.knf";
  even_dos_ = same ? odd_dos_ : "c:\\programs\\even.knf";
  if (!library_.Open(LibraryPath(s.library), error)) return false;
  auto fsp_init = library_.Bind<int (*)(const FSP_INIT_PARAMS*)>("FSPInit");
  auto gdi_init = library_.Bind<int (*)(const GDI_INIT_PARAMS*)>("GDIInit");
  auto loc_init = library_.Bind<int (*)(void*, uint32_t)>("LocalizationInit");
  start_ = library_.Bind<Fn>("TransformStart");
  cont_ = library_.Bind<Fn>("TransformCont");
  stop_ = library_.Bind<Fn>("TransformStop");
  if (!fsp_init || !gdi_init || !loc_init || !start_ || !cont_ || !stop_) {
    *error = s.library + " lacks the transformation exports";
    *library_failure = true;
    return false;
  }
  fsp_init(&files_.table());
  gdi_init(&graphics_.table());
  loc_init(nullptr, s.language);
  sources_[0] = odd_dos_.c_str();
  sources_[1] = even_dos_.c_str();
  *info_ = TRANSFORM_INFO{};
  info_->sources = sources_;
  info_->output = kOutput;
  info_->left = 150;
  info_->top = 100;
  info_->right = 649;
  info_->bottom = 419;
  info_->kind = static_cast<uint8_t>(s.kind);
  return true;
}

void TransformSession::Start() { start_(info_.get()); }

uint32_t TransformSession::Press(uint8_t key) {
  info_->event = 1;
  info_->key = static_cast<int8_t>(key);
  ++presses_;
  return cont_(info_.get());
}

void TransformSession::Stop() { stop_(info_.get()); }

std::string TransformSession::OutputPath() const {
  const std::string path = files_.Resolve(kOutput);
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? path : "";
}

TransformView TransformSession::DrawOutput(const std::function<void()>& progress) {
  TickClock clock;
  ViewRunner runner(files_, view_screen_, clock.counter(), TickClock::kFrequency);
  runner.WatchTexts();
  ViewOptions options;
  options.library = settings_.library;
  options.program_dos_path = kOutput;
  options.language = settings_.language;
  TransformView view;
  if (!runner.Load(options, &view.failure)) return view;
  const ViewRun run = runner.RunToEnd(progress);
  runner.Stop();
  view.finished = run.last_result == 2;
  view.failure = runner.FailureText();
  view.extent = runner.InfoLineText();
  return view;
}

}  // namespace host
