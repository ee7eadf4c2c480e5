// The contour transformation dialog of Kerf (or Anvil's build of it) with
// everything it runs on, set up as the control does it: the odd and even
// contours in c:\programs, the dialog in an 800x600 screen at (150, 100),
// the nested program written to c:\programs\nesting.knf, then drawn by the
// program view on a screen of its own. The batch command and the console
// both build it, so the same keys paint the same dialog and write the same
// program.
#pragma once

#include <stdint.h>

#include <functional>
#include <memory>
#include <string>

#include "host/commands/key_script.h"
#include "host/screen/screen.h"
#include "host/services/file_services.h"
#include "host/services/graphics_services.h"
#include "host/services/loader.h"

struct TRANSFORM_INFO;

namespace host {

// The dialog's keys for key scripts: previous, next, left, right, point,
// clear, sign, enter; digits are typed ('.' is the point, '-' the sign).
extern const KeyTable kTransformKeys;

struct TransformSettings {
  std::string library = "Kerf";
  uint32_t language = 9;
  int kind = 0;              // 0, 1 or 2
  std::string odd, even;     // the contours' files (even: the odd one when empty)
};

// What the program view made of the written program.
struct TransformView {
  bool finished = false;
  std::string failure;  // the view's failure text ("" when none)
  std::string extent;   // its information line ("0x0": nothing drawn)
};

class TransformSession {
 public:
  using Fn = uint32_t (*)(TRANSFORM_INFO*);
  static constexpr char kOutput[] = "c:\\programs\\nesting.knf";

  // `folder` is the drive folder the library's file services reach.
  explicit TransformSession(const std::string& folder);
  ~TransformSession();
  // Copies the contours in, loads the library and initialises it; false
  // with *error (*library_failure when the library lacks the exports).
  bool Load(const TransformSettings& settings, std::string* error, bool* library_failure);
  // Opens the dialog.
  void Start();
  // One key: TransformCont's result (1 open, 2 closed, 5 the generation
  // failed and the dialog shows why).
  uint32_t Press(uint8_t key);
  void Stop();
  // The written program in the drive folder ("" when none was written).
  std::string OutputPath() const;
  // Draws the written program with the program view into view_screen(),
  // calling `progress` between slices.
  TransformView DrawOutput(const std::function<void()>& progress = {});

  FileServices& files() { return files_; }
  Screen& screen() { return screen_; }
  Screen& view_screen() { return view_screen_; }
  TRANSFORM_INFO& info() { return *info_; }
  int presses() const { return presses_; }

 private:
  FileServices files_;
  Screen screen_{800, 600};
  Screen view_screen_{800, 600};
  GraphicsServices graphics_;
  Library library_;
  TransformSettings settings_;
  std::string odd_dos_, even_dos_;
  const char* sources_[2] = {nullptr, nullptr};
  std::unique_ptr<TRANSFORM_INFO> info_;  // kerf/transform.h stays out of this header
  Fn start_ = nullptr, cont_ = nullptr, stop_ = nullptr;
  int presses_ = 0;
};

// The key code a typed character stands for in the dialog, or -1.
int TransformTypedKey(char c);

}  // namespace host
