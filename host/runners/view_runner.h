// Drives a library's program view the way the control's main program does:
// FSPInit, GDIInit, LocalizationInit, then ViewStart, ViewCont until it
// reports finished, ShapePartSel on request, and ViewStop.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "host/services/file_services.h"
#include "host/services/graphics_services.h"
#include "host/services/loader.h"
#include "host/screen/screen.h"
#include "kerf/view_info.h"

namespace host {

struct ViewOptions {
  std::string library = "Kerf";
  std::string program_dos_path;   // the program as the library sees it
  std::string copy_dos_path;      // receives shape parts in copy mode
  bool iso = false;               // format byte 0 (ISO) instead of Kerf
  std::string iso_text;           // ISO program in host memory (empty path)
  std::string iso_axes = "XY";    // ISO: address letters of the two axes
  uint32_t iso_options = 0;       // ISO: bit 0 swaps G2/G3, bit 12 the centre words
  bool iso_diameter = false;      // ISO: the first axis value is a diameter
  int left = 0, top = 0, right = 799, bottom = 599;
  uint8_t orientation = 0;
  uint32_t language = 9;
  uint32_t start_delay_ms = 0;
  uint8_t part_mode = 0;
};

struct ViewRun {
  uint32_t start_result = 0;
  uint32_t cont_calls = 0;
  uint32_t last_result = 0;
  std::vector<uint32_t> slice_us;  // duration of each ViewCont call
  std::string error;               // loading problems
};

class ViewRunner {
 public:
  // `ticks` and `frequency` are the tick counter handed to the library.
  ViewRunner(FileServices& files, Screen& screen, const volatile uint32_t* ticks,
             uint32_t frequency);
  bool Load(const ViewOptions& options, std::string* error);

  uint32_t Start();
  uint32_t Cont();
  uint32_t Stop();
  uint32_t ShapePartSel();
  // Start, Cont until finished (calling `progress` after every Cont), Stop
  // is left to the caller so parts can be selected first.
  ViewRun RunToEnd(const std::function<void()>& progress = {});

  // Keeps a record of the text boxes written (nothing else), so that
  // FailureText can tell what the view's information line shows.
  void WatchTexts();
  // The error text the view shows in its information line (as UTF-8), ""
  // when it shows none. Needs WatchTexts before the run.
  std::string FailureText() const;
  // What the information line shows last (control character set, without
  // trailing blanks): an error text, or the program's size such as "12x8".
  std::string InfoLineText() const;

  VIEW_INFO& info() { return info_; }
  GraphicsServices& graphics() { return graphics_; }
  Library& library() { return library_; }

 private:
  using ViewFn = uint32_t (*)(VIEW_INFO*);
  FileServices& files_;
  GraphicsServices graphics_;
  Library library_;
  ViewOptions options_;
  VIEW_INFO info_{};
  ViewFn start_ = nullptr, cont_ = nullptr, stop_ = nullptr, parts_ = nullptr;
  const volatile uint32_t* ticks_;
  uint32_t frequency_;
};

}  // namespace host
