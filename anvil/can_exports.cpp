// CanData, CanViewStart, CanViewCont: the CAN bus monitor's exports, its
// keys and its two dialogs ("New packet", "Settings").
#include "anvil/anvil_init.h"
#include "anvil/can_bus.h"
#include "anvil/can_monitor.h"
#include "bridge/gdi.h"
#include "bridge/text_buffer.h"

namespace anvil {
namespace {

constexpr uint8_t kKeyCharacter = 1;
constexpr uint8_t kCharResend = 255, kCharSwap = 32;
enum : uint8_t {
  kCodePane = 70, kCodeNewPacket = 71, kCodeSettings = 72, kCodeRecordStart = 73,
  kCodeRecordStop = 74, kCodeOpen = 75, kCodeClose = 76,
};
constexpr uint32_t kButtonOk = 1, kButtonCancel = 10;
constexpr uint32_t kRedrawMs = 101;
constexpr uint32_t kErrorMemory = 33;

// Items of "New packet": the field line, ID, LEN, D0-D7, the buttons.
enum : int { kPacketId = 1, kPacketLength = 2, kPacketData = 3 };
// Items of "Settings".
enum : int { kSettingRows = 0, kSettingName = 1, kSettingChannel = 2, kSettingTabs = 3 };

uint32_t ParseNumber(const char* text, uint32_t base) {
  uint32_t v = 0;
  for (; *text != '\0'; ++text) {
    char c = *text;
    uint32_t digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : base;
    if (digit >= base) break;
    v = v * base + digit;
  }
  return v;
}

bool CreateDialogs(CanMonitor& m) {
  if (m.new_packet == nullptr && (m.new_packet = DialogCreate(kCanTextNewPacket)) != nullptr) {
    Dialog* d = m.new_packet;
    int line = DialogAddText(d, 0);
    DialogSetText(d, line, "ID   LEN D0 D1 D2 D3 D4 D5 D6 D7");
    DialogAddRowField(d, 4, 0, kAcceptHex);
    DialogAddRowField(d, 1, 5, kAcceptDecimal);
    for (uint8_t i = 0; i < 8; ++i) DialogAddRowField(d, 2, static_cast<uint8_t>(9 + 3 * i), kAcceptHex);
    DialogAddButton(d, kCanTextOk, kButtonOk);
    DialogAddButton(d, kCanTextCancel, kButtonCancel);
  }
  if (m.settings == nullptr && (m.settings = DialogCreate(kCanTextSettings)) != nullptr) {
    Dialog* d = m.settings;
    DialogSetAccept(d, DialogAddField(d, kCanTextRows, 2), kAcceptDecimal);
    DialogAddField(d, kCanTextFileName, kCanNameMax);
    DialogSetAccept(d, DialogAddField(d, kCanTextChannelNumber, 1), kAcceptDecimal);
    DialogSetAccept(d, DialogAddField(d, kCanTextTabs, 1), kAcceptDecimal);
    DialogAddButton(d, kCanTextOk, kButtonOk);
    DialogAddButton(d, kCanTextCancel, kButtonCancel);
  }
  return m.new_packet != nullptr && m.settings != nullptr;
}

void OpenDialog(CanMonitor& m, Dialog* d, uint8_t screen) {
  if (d == nullptr) return;
  m.screen = screen;
  DialogOpen(d, m.left, m.top, m.right, m.bottom);
}

void OpenSettings(CanMonitor& m) {
  Dialog* d = m.settings;
  if (d == nullptr) return;
  char number[12];
  TextBuffer b = MakeTextBuffer(number, sizeof number);
  TextAppendUnsigned(&b, m.receive_rows >= 99 ? 0 : m.receive_rows);
  DialogSetText(d, kSettingRows, number);
  DialogSetText(d, kSettingName, m.recording.name);
  b = MakeTextBuffer(number, sizeof number);
  TextAppendUnsigned(&b, m.channel >= 1 && m.channel <= 8 ? m.channel : 0);
  DialogSetText(d, kSettingChannel, number);
  DialogSetText(d, kSettingTabs, m.recording.tabs ? "1" : "0");
  OpenDialog(m, d, kCanSettingsDialog);
}

void BackToLists(CanMonitor& m) {
  m.screen = kCanLists;
  CanLayout(m);
  CanDrawAll(m);
}

void ApplySettings(CanMonitor& m) {
  const Dialog* d = m.settings;
  uint32_t rows = ParseNumber(DialogText(d, kSettingRows), 10);
  if (rows != m.receive_rows) {
    m.receive_rows = rows;
    for (CanList& l : m.lists) CanListHome(&l);
  }
  const char* name = DialogText(d, kSettingName);
  if (*name != '\0') {
    uint32_t n = 0;
    for (; name[n] != '\0' && n < kCanNameMax; ++n) m.recording.name[n] = name[n];
    m.recording.name[n] = '\0';
  }
  uint32_t channel = ParseNumber(DialogText(d, kSettingChannel), 10);
  if ((channel == 1 || channel == 2) && channel != m.channel) {
    bool was = m.capture;
    if (m.capture) CanStopCapture(m);
    for (CanList& l : m.lists) CanListClear(&l);
    m.channel = channel;
    if (was) CanStartCapture(m);
  }
  const char* tabs = DialogText(d, kSettingTabs);
  m.recording.tabs = !(tabs[0] == '0' && tabs[1] == '\0');
}

// OK of "New packet": false (the dialog stays) for a length above 8.
bool EnterPacket(CanMonitor& m) {
  const Dialog* d = m.new_packet;
  CanPacket p{};
  uint32_t id = ParseNumber(DialogText(d, kPacketId), 16);
  uint32_t length = ParseNumber(DialogText(d, kPacketLength), 10);
  if (length > 8) return false;
  p.length = static_cast<uint8_t>(length);
  for (int i = 0; i < 8; ++i) p.data[i] = static_cast<uint8_t>(ParseNumber(DialogText(d, kPacketData + i), 16));
  p.entered = 1;
  p.id = static_cast<uint16_t>(id & kCanIdMask);
  CanAddPacket(m, kCanTransmit, p, nullptr);
  p.id = static_cast<uint16_t>(id);
  CanSend(m, p);
  return true;
}

void Resend(CanMonitor& m) {
  CanNode* n = m.lists[m.active].cursor;
  if (n == nullptr) return;
  CanPacket p{};
  p.id = n->packet.id;
  p.length = n->packet.length;
  __builtin_memcpy(p.data, n->packet.data, sizeof p.data);
  p.entered = 1;
  CanAddPacket(m, kCanTransmit, p, nullptr);
  CanSend(m, p);
}

// One key of the list screen; true when it was a list key (one pane is
// then redrawn at once).
bool ListKey(CanMonitor& m, uint8_t code, uint8_t c) {
  if (code == kKeyCharacter) {
    if (c == kCharResend) Resend(m);
    else if (c == kCharSwap) m.swap = !m.swap;
    else CanListKey(&m.lists[m.active], c, m.swap);
    return true;
  }
  switch (code) {
    case kCodePane: {
      uint8_t other = static_cast<uint8_t>(1 - m.active);
      m.swap = false;
      if (m.lists[other].rows > 0) m.active = other;
      return true;
    }
    case kCodeNewPacket: OpenDialog(m, m.new_packet, kCanNewPacket); break;
    case kCodeSettings: OpenSettings(m); break;
    case kCodeRecordStart:
      if (!m.recording.on) CanStartRecording(m);
      CanDrawStatus(m);
      break;
    case kCodeRecordStop:
      CanStopRecording(m);
      CanDrawStatus(m);
      break;
    case kCodeOpen:
      CanStartCapture(m);
      CanDrawStatus(m);
      break;
    case kCodeClose:
      CanStopCapture(m);
      CanDrawStatus(m);
      break;
    default: break;
  }
  return false;
}

void RedrawNextPane(CanMonitor& m, uint32_t now) {
  CanDrawPane(m, m.next_pane);
  CanDrawStatus(m);
  m.next_pane = static_cast<uint8_t>(1 - m.next_pane);
  m.last_redraw = now;
}

void Cont(CanMonitor& m, _CANVIEW* r) {
  uint8_t code = RecordGet<uint8_t>(r, offsetof(_CANVIEW, key_code));
  uint8_t c = RecordGet<uint8_t>(r, offsetof(_CANVIEW, key_char));
  CanClock clock = CanClockOf(r);
  if (m.screen == kCanNewPacket || m.screen == kCanSettingsDialog) {
    Dialog* d = m.screen == kCanNewPacket ? m.new_packet : m.settings;
    uint32_t pressed = code != 0 ? DialogKey(d, code, c) : 0;
    if (pressed == kButtonOk && m.screen == kCanNewPacket && !EnterPacket(m)) return;
    if (pressed == kButtonOk && m.screen == kCanSettingsDialog) ApplySettings(m);
    if (pressed == kButtonOk || pressed == kButtonCancel) BackToLists(m);
    return;
  }
  if (code != 0) {
    if (ListKey(m, code, c) && m.screen == kCanLists) RedrawNextPane(m, clock.ms);
    return;
  }
  if (!clock.running || clock.ms - m.last_redraw >= kRedrawMs) RedrawNextPane(m, clock.ms);
}

bool WindowChanged(const CanMonitor& m, const _CANVIEW* r) {
  return !m.window_known || m.left != RecordGet<uint16_t>(r, offsetof(_CANVIEW, left)) ||
         m.top != RecordGet<uint16_t>(r, offsetof(_CANVIEW, top)) ||
         m.right != RecordGet<uint16_t>(r, offsetof(_CANVIEW, right)) ||
         m.bottom != RecordGet<uint16_t>(r, offsetof(_CANVIEW, bottom));
}

}  // namespace
}  // namespace anvil

using namespace anvil;

LIB_EXPORT uint32_t CanData(_CANVIEW* record) {
  if (record == nullptr) return 0;
  return CanCapture(Monitor(), record);
}

LIB_EXPORT uint32_t CanViewStart(_CANVIEW* record) {
  if (record == nullptr) return 0;
  CanMonitor& m = Monitor();
  uint32_t r766 = CanR766();
  uint32_t mode = CanDigit(r766, 7);
  if (RecordGet<uint8_t>(record, offsetof(_CANVIEW, panel)) == 0) {
    CanDrawTitle(record, kCanTextPanel);
    return 0;
  }
  if (mode == 9 || mode == 2) {
    CanDrawTitle(record, mode == 9 ? static_cast<uint32_t>(kCanTextNotActivated) : 0u);
    return 0;
  }
  if (m.auto_start_pending) {
    m.auto_start_pending = false;
    m.channel = CanDigit(r766, 3) + 1;
  }
  if (!CreateDialogs(m) && m.error == 0) m.error = kErrorMemory;
  if (WindowChanged(m, record)) {
    m.window_known = true;
    m.left = RecordGet<uint16_t>(record, offsetof(_CANVIEW, left));
    m.top = RecordGet<uint16_t>(record, offsetof(_CANVIEW, top));
    m.right = RecordGet<uint16_t>(record, offsetof(_CANVIEW, right));
    m.bottom = RecordGet<uint16_t>(record, offsetof(_CANVIEW, bottom));
    m.receive_rows = kCanDefaultRows;
    for (CanList& l : m.lists) CanListHome(&l);
    m.active = kCanReceive;
  }
  m.time_out = false;
  m.screen = kCanLists;
  if (CanDigit(r766, 5) != 0 && !m.capture && m.error == 0) CanStartCapture(m);
  CanLayout(m);
  m.error_drawn = false;
  if (m.error != 0) CanDrawError(m);
  else CanDrawAll(m);
  m.last_redraw = CanClockOf(record).ms;
  return 0;
}

LIB_EXPORT uint32_t CanViewCont(_CANVIEW* record) {
  if (record == nullptr) return 0;
  CanMonitor& m = Monitor();
  uint32_t mode = CanDigit(CanR766(), 7);
  if (RecordGet<uint8_t>(record, offsetof(_CANVIEW, panel)) == 0 || (mode != 0 && mode != 1) ||
      !m.window_known)
    return 0;
  if (m.error != 0) {
    if (!m.error_drawn) CanDrawError(m);
  } else {
    Cont(m, record);
  }
  RecordSet<uint8_t>(record, offsetof(_CANVIEW, key_code), 0);
  return 0;
}
