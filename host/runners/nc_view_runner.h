// Drives Anvil's NC program viewer the way the control's main program does:
// GDIInit, LocalizationInit and AnvilInit once, NcViewInit with the program
// text held in host memory, NcViewStart, then NcViewCont until a page is
// complete, each key or followed block handed over in the record
// (_NC_VIEW, owned here) once the page stands.
#pragma once

#include <stdint.h>

#include <string>

#include "anvil/nc_view.h"
#include "host/commands/key_script.h"
#include "host/screen/screen.h"
#include "host/services/anvil_host.h"
#include "host/services/graphics_services.h"
#include "host/services/loader.h"

namespace host {

// Keys of the viewer (code 1, the key in the character) and the action
// that follows a block number.
extern const KeyTable kNcKeys;

// What the viewer shows besides the program: title, status, viewer number,
// colouring. The texts must live while the viewer runs.
struct NcViewPage {
  std::string title, status;
  uint8_t viewer = 0;
  bool colouring = true;
};

class NcViewRunner {
 public:
  // Most NcViewCont calls one page may take (a page paints one line a call).
  static constexpr uint32_t kMaxCallsPerPage = 100000;

  explicit NcViewRunner(Screen& screen, uint32_t pool_size = AnvilHost::kDefaultPoolSize);

  // Loads Anvil and initialises it; false with *error set.
  bool Load(uint32_t language, std::string* error);

  // The record: window, viewer number, colouring, title and status may be
  // changed by the caller between calls.
  _NC_VIEW& record() { return record_; }
  void SetWindow(int left, int top, int right, int bottom);
  // Keeps `text` (the host's memory) and hands it to NcViewInit.
  void Init(const std::string& text);
  // NcViewInit with the record as the caller set it (null text, any length).
  void InitRaw() { init_(&record_); }
  void Start();
  // The record filled from `page` (kept by the caller), then Init, Start
  // and the first page painted.
  void Open(const std::string& text, const NcViewPage& page);
  // NcViewCont without an event until a call returns 1; the calls made.
  // Stops after kMaxCallsPerPage (returns that many).
  uint32_t PaintPage();
  // One event handed over on a complete page, then the page painted.
  // Returns the NcViewCont calls the repaint took (0: nothing repainted).
  // The page must be complete (PaintPage) before.
  uint32_t Key(uint8_t character);
  uint32_t Follow(int32_t block_number);

  AnvilHost& anvil() { return anvil_; }
  GraphicsServices& graphics() { return graphics_; }
  Library& library() { return library_; }

 private:
  uint32_t Event(uint8_t event);
  typedef uint32_t (*NcFn)(_NC_VIEW*);
  GraphicsServices graphics_;
  Library library_;
  AnvilHost anvil_;
  _NC_VIEW record_{};
  std::string text_;
  NcFn init_ = nullptr, start_ = nullptr, cont_ = nullptr;
};

}  // namespace host
