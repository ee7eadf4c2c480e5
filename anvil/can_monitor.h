// The CAN bus monitor's module state and the parts its exports share:
// capture (can_capture.cpp), the window (can_screen.cpp) and the keys and
// dialogs (can_exports.cpp).
#pragma once

#include <stdint.h>

#include "anvil/can_lists.h"
#include "anvil/can_recording.h"
#include "anvil/can_view.h"
#include "anvil/dialog.h"

namespace anvil {

enum CanText : uint32_t {
  kCanTextMemory = 33, kCanTextDisk = 34, kCanTextReceive = 35, kCanTextTransmit = 36,
  kCanTextNewPacket = 37, kCanTextSettings = 38, kCanTextFile = 41, kCanTextCancel = 43,
  kCanTextOk = 23, kCanTextError = 58, kCanTextChannel = 59, kCanTextTitleHint = 60,
  kCanTextRows = 61, kCanTextFileName = 62, kCanTextChannelNumber = 63, kCanTextHeader = 64,
  kCanTextHeaderService = 65, kCanTextNoTime = 66, kCanTextPanel = 67, kCanTextNotActivated = 72,
  kCanTextTabs = 79,
};

enum CanScreen : uint8_t { kCanLists = 1, kCanNewPacket = 2, kCanSettingsDialog = 3 };
enum CanPane : uint8_t { kCanReceive = 0, kCanTransmit = 1 };
constexpr uint32_t kCanDefaultRows = 8;

struct CanMonitor {
  uint32_t channel = 0;            // 1 or 2 once chosen
  bool capture = false;
  bool auto_start_pending = true;  // until the first CanViewStart
  uint32_t error = 0;              // pending error text (33, 34); stays
  bool error_drawn = false;
  bool time_out = false;
  uint8_t screen = kCanLists;
  uint8_t active = kCanReceive;
  bool swap = false;
  uint32_t receive_rows = kCanDefaultRows;
  uint8_t next_pane = kCanReceive;  // the pane the next periodic redraw paints
  uint32_t last_redraw = 0;
  bool window_known = false;
  uint16_t left = 0, top = 0, right = 0, bottom = 0;
  CanList lists[2];
  CanRecording recording;
  Dialog* new_packet = nullptr;
  Dialog* settings = nullptr;
  uint32_t init_count = 0;         // AnvilInit count the pool blocks belong to
};

CanMonitor& Monitor();
uint32_t CanR766();
uint8_t* CanShared();

// Capture: opens, closes and adds, recording captured packets.
bool CanStartCapture(CanMonitor& m);
void CanStopCapture(CanMonitor& m);
void CanStartRecording(CanMonitor& m);
void CanStopRecording(CanMonitor& m);
// Adds p to a list; false when capture must stop (memory or time).
bool CanAddPacket(CanMonitor& m, uint8_t pane, const CanPacket& p, const _CANVIEW* clock);
uint32_t CanCapture(CanMonitor& m, const _CANVIEW* r);
// Sends id, length and data on the channel when R766 allows sending.
void CanSend(CanMonitor& m, const CanPacket& p);

// The window.
void CanLayout(CanMonitor& m);
void CanDrawTitle(const _CANVIEW* r, uint32_t message_id);
void CanDrawAll(CanMonitor& m);
void CanDrawPane(CanMonitor& m, uint8_t pane);
void CanDrawStatus(CanMonitor& m);
void CanDrawError(CanMonitor& m);

}  // namespace anvil
