#include "anvil/ftp_link.h"

#include <string.h>

#include "anvil/anvil_init.h"
#include "anvil/file_paths.h"
#include "anvil/panel_messages.h"
#include "bridge/localization.h"
#include "bridge/text_buffer.h"

namespace anvil {
namespace {

extern "C" {
typedef void (*ErrorCallback)(int code);
typedef void (*CompletionCallback)(int operation, const char* text);
typedef void (*StatusCallback)(int code, void* value);
typedef void (*ContFn)();
typedef int (*NoArgFn)(ErrorCallback, CompletionCallback, StatusCallback);
typedef int (*OneArgFn)(const char*, ErrorCallback, CompletionCallback, StatusCallback);
typedef int (*TwoArgFn)(const char*, const char*, ErrorCallback, CompletionCallback,
                        StatusCallback);
}

// Operation codes as the client reports them on completion.
enum : int { kOpNameList = 1, kOpList = 2, kOpPwd = 3, kOpRetrieve = 4, kOpStore = 5, kOpCwd = 6 };
constexpr int kCodeNotInitialised = -93;
constexpr int kCodeNoAnswer = -56;

enum WaitState : uint8_t { kFinished = 0, kFailed = 1, kRunning = 2 };

struct Wait {
  WaitState state = kFinished;
  int operation = 0;         // the completion that ends this wait
  char text[100] = {};       // the last completion text
  uint32_t value = 0;        // the last status value (transfer bytes)
  bool reported = false;     // any report since the last look
};
Wait g_wait;

struct ErrorRow {
  int16_t code;
  uint8_t text;
};
const ErrorRow kErrorTexts[] = {
    {0, 85},    {-40, 86},  {-41, 87},  {-42, 88},  {-43, 89},  {-44, 90},  {-45, 91},
    {-46, 92},  {-47, 93},  {-48, 94},  {-49, 95},  {-50, 96},  {-51, 97},  {-52, 98},
    {-53, 99},  {-54, 100}, {-55, 101}, {-56, 102}, {-57, 103}, {-60, 104}, {-61, 105},
    {-63, 106}, {-64, 107}, {-65, 108}, {-91, 109}, {-92, 110}, {-93, 129}, {-1, 111},
    {-2, 112},  {-3, 113},  {-4, 114},  {-5, 115},  {-6, 116},  {-7, 117},  {-8, 118},
    {-9, 119},  {-10, 120},
};
static_assert(sizeof kErrorTexts / sizeof kErrorTexts[0] == 37);
constexpr uint32_t kUnknownFtpError = 121;

extern "C" void OnError(int code) {
  g_wait.state = kFailed;
  g_wait.reported = true;
  char text[62];
  TextBuffer b = MakeTextBuffer(text, sizeof text);
  TextAppendUnsigned(&b, 0u - static_cast<uint32_t>(code));
  TextAppendChar(&b, ':');
  TextAppend(&b, LocText(FtpErrorTextId(code)));
  SetPanelFtpError(text);
}

extern "C" void OnCompletion(int operation, const char* text) {
  g_wait.reported = true;
  // The end of a login (0) or of an earlier operation is not this one's.
  if (operation != g_wait.operation) return;
  if (g_wait.state != kFailed) g_wait.state = kFinished;
  CopyText(g_wait.text, sizeof g_wait.text, text != nullptr ? text : "");
  if (text != nullptr && strlen(text) >= sizeof g_wait.text) g_wait.text[0] = '\0';
}

extern "C" void OnStatus(int, void* value) {
  g_wait.reported = true;
  if (g_wait.state != kFailed) g_wait.state = kRunning;
  g_wait.value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value));
}

template <typename Fn>
Fn Entry(uint32_t index) {
  const uint32_t* table = AnvilRecord().host_functions;
  if (table == nullptr) return nullptr;
  return reinterpret_cast<Fn>(static_cast<uintptr_t>(table[index]));
}

void Begin(int operation) {
  g_wait.state = kRunning;
  g_wait.operation = operation;
  g_wait.text[0] = '\0';
  g_wait.value = 0;
  g_wait.reported = false;
}

// Drives the client until the operation has ended; true on success.
bool RunWait(int submitted, FtpProgress progress) {
  if (submitted == 0 && g_wait.state == kRunning) OnError(kCodeNotInitialised);
  ContFn cont = Entry<ContFn>(kHostFnWharfCont);
  if (cont == nullptr && g_wait.state == kRunning) OnError(kCodeNotInitialised);
  uint32_t start = 0, shown = 0, now = 0;
  bool clock = PanelClockMs(&start);
  shown = start;
  uint32_t quiet_passes = 0;
  while (g_wait.state == kRunning) {
    cont();
    if (clock) PanelClockMs(&now);
    if (g_wait.reported) {
      g_wait.reported = false;
      start = now;
      quiet_passes = 0;
    } else {
      ++quiet_passes;
    }
    if (progress != nullptr && clock && now - shown > 200) {
      shown = now;
      progress(g_wait.value);
    }
    bool silent = clock ? now - start > kFtpSilenceMs : quiet_passes > kFtpPassBound;
    if (silent && g_wait.state == kRunning) OnError(kCodeNoAnswer);
  }
  return g_wait.state == kFinished;
}

bool FitsClient(const char* argument) { return strlen(argument) <= kFtpArgumentMax; }

// A transfer whose data stalled closes its file (reporting completion)
// before it reports the stall, and the completion clears the callbacks, so
// the stall never reaches this library. A transfer that ended normally
// leaves the client free for the next command at once; a stalled or
// cancelled one keeps it busy (logging out). So a transfer counts only
// when the client then takes a PWD.
bool ConfirmTransferEnded() {
  Begin(kOpPwd);
  auto fn = Entry<NoArgFn>(kHostFnWharfPWDEx);
  if (fn == nullptr) return RunWait(0, nullptr);
  if (fn(OnError, OnCompletion, OnStatus) == 0) {
    OnError(kCodeNoAnswer);
    return false;
  }
  return RunWait(1, nullptr);
}

}  // namespace

uint32_t FtpErrorTextId(int code) {
  for (const ErrorRow& row : kErrorTexts)
    if (row.code == code) return row.text;
  return kUnknownFtpError;
}

bool FtpList(bool long_form, const char* local_file) {
  Begin(long_form ? kOpList : kOpNameList);
  auto fn = Entry<OneArgFn>(long_form ? kHostFnWharfListWEx : kHostFnWharfListEx);
  int submitted = fn != nullptr && FitsClient(local_file) ? fn(local_file, OnError, OnCompletion, OnStatus) : 0;
  return RunWait(submitted, nullptr) && ConfirmTransferEnded();
}

bool FtpPwd(char* answer, uint32_t capacity) {
  Begin(kOpPwd);
  auto fn = Entry<NoArgFn>(kHostFnWharfPWDEx);
  int submitted = fn != nullptr ? fn(OnError, OnCompletion, OnStatus) : 0;
  if (!RunWait(submitted, nullptr)) return false;
  return CopyText(answer, capacity, g_wait.text);
}

bool FtpCwd(const char* server_path) {
  Begin(kOpCwd);
  auto fn = Entry<OneArgFn>(kHostFnWharfCWDEx);
  int submitted = fn != nullptr && FitsClient(server_path) ? fn(server_path, OnError, OnCompletion, OnStatus) : 0;
  return RunWait(submitted, nullptr);
}

bool FtpRetrieve(const char* remote, const char* local, FtpProgress progress) {
  Begin(kOpRetrieve);
  auto fn = Entry<TwoArgFn>(kHostFnWharfRetrEx);
  int submitted = fn != nullptr && FitsClient(remote) && FitsClient(local)
                      ? fn(remote, local, OnError, OnCompletion, OnStatus)
                      : 0;
  return RunWait(submitted, progress) && ConfirmTransferEnded();
}

bool FtpStore(const char* local, const char* remote, FtpProgress progress) {
  Begin(kOpStore);
  auto fn = Entry<TwoArgFn>(kHostFnWharfStorEx);
  int submitted = fn != nullptr && FitsClient(remote) && FitsClient(local)
                      ? fn(local, remote, OnError, OnCompletion, OnStatus)
                      : 0;
  return RunWait(submitted, progress) && ConfirmTransferEnded();
}

}  // namespace anvil
