// The CAN monitor's capture (CanData): channels, lists and the recording.
#include "anvil/anvil_init.h"
#include "anvil/can_bus.h"
#include "anvil/can_monitor.h"

namespace anvil {
namespace {

constexpr uint32_t kMostPerCall = 1000;
constexpr uint32_t kErrorMemory = 33, kErrorDisk = 34;

CanMonitor g_monitor;

}  // namespace

// Nodes and dialogs live in the pool: after AnvilInit laid it out again
// they are gone (and must not be freed).
CanMonitor& Monitor() {
  if (g_monitor.init_count != AnvilInitCount()) {
    for (CanList& l : g_monitor.lists) l.head = l.cursor = l.top = nullptr;
    g_monitor.new_packet = g_monitor.settings = nullptr;
    g_monitor.init_count = AnvilInitCount();
  }
  return g_monitor;
}

uint32_t CanR766() {
  const uint32_t* words = AnvilRecord().cnc_record;
  return words != nullptr ? words[kCanModeWord] : 0;
}

uint8_t* CanShared() { return AnvilRecord().shared_memory; }

bool CanStartCapture(CanMonitor& m) {
  if (CanOpenChannel(CanShared(), m.channel)) m.capture = true;
  return m.capture;
}

void CanStopCapture(CanMonitor& m) {
  CanCloseChannel(CanShared(), m.channel);
  m.capture = false;
}

void CanStartRecording(CanMonitor& m) {
  if (CanDigit(CanR766(), 6) == 0 || m.error != 0) return;
  if (!CanRecordStart(&m.recording, AnvilRecord().system_directory)) m.error = kErrorDisk;
}

void CanStopRecording(CanMonitor& m) {
  if (!CanRecordStop(&m.recording) && m.error == 0) m.error = kErrorDisk;
}

bool CanAddPacket(CanMonitor& m, uint8_t pane, const CanPacket& p, const _CANVIEW* clock) {
  CanNode* node = nullptr;
  switch (CanListAdd(&m.lists[pane], p, clock, &node)) {
    case CanAdd::kAppended:
    case CanAdd::kUpdated:
      if (p.entered == 0 && !CanRecordPacket(&m.recording, node->packet)) {
        m.error = kErrorDisk;
        return false;
      }
      return true;
    case CanAdd::kUnchanged:
      return true;
    case CanAdd::kNoTime:
      m.time_out = true;
      if (!CanRecordPacket(&m.recording, p)) m.error = kErrorDisk;
      return false;
    case CanAdd::kNoMemory:
      m.error = kErrorMemory;
      return false;
  }
  return false;
}

uint32_t CanCapture(CanMonitor& m, const _CANVIEW* r) {
  uint32_t r766 = CanR766();
  uint32_t mode = CanDigit(r766, 7);
  if (RecordGet<uint8_t>(r, offsetof(_CANVIEW, panel)) == 0 || mode == 9 || mode == 2) return 0;
  if (m.error != 0) {
    // A pending error stops capture for good; what was recorded is kept.
    if (m.capture) CanStopCapture(m);
    if (m.recording.on) CanRecordStop(&m.recording);
    return 1;
  }
  if (m.auto_start_pending && CanDigit(r766, 1) != 0 && !m.capture) {
    m.channel = CanDigit(r766, 3) + 1;
    if (CanStartCapture(m) && CanDigit(r766, 2) != 0 && !m.recording.on) CanStartRecording(m);
  }
  if ((m.channel != 1 && m.channel != 2) || !m.capture) return 0;
  CanClock start = CanClockOf(r);
  CanMessage message;
  for (uint32_t taken = 0; taken < kMostPerCall && CanReadMessage(CanShared(), m.channel, &message); ++taken) {
    CanPacket p{};
    p.id = message.id & kCanIdMask;
    p.length = message.length > 8 ? 8 : message.length;
    __builtin_memcpy(p.data, message.data, sizeof p.data);
    p.time = message.time;
    p.count = 1;
    bool added = true;
    if (message.id & kCanReceived) added = CanAddPacket(m, kCanReceive, p, r);
    else if (message.id & kCanSent) added = CanAddPacket(m, kCanTransmit, p, r);
    if (!added) break;
    if (start.running && CanClockOf(r).ms != start.ms) break;
  }
  return 0;
}

void CanSend(CanMonitor& m, const CanPacket& p) {
  if (CanDigit(CanR766(), 7) != 1) return;
  CanMessage message{};
  message.id = p.id;
  message.length = p.length > 8 ? 8 : p.length;
  __builtin_memcpy(message.data, p.data, sizeof message.data);
  CanSendMessage(CanShared(), m.channel, message);
}

}  // namespace anvil
