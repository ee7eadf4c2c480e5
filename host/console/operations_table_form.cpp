// A correction or zero-offset form of libTracer in the console, set up as
// `hostsim table-form` does over a table of the sandbox (copied into the
// operation's own drive folder). The control calls an open form once a
// tick: here a tick is 55 ms of real time (the PC timer's, whose 18 ticks
// make the hard-wired form's second), each call a tick after the one
// before, a key handed over in the call right after it arrives. The wait
// before each key is told to the server in calls without a key, the
// batch command's `wait` unit, so the recording replays the same calls.
// A frame is published after a call without a key only: the batch command
// ends with one such call, so every published frame is one it reaches.
#include <algorithm>
#include <sstream>

#include "host/console/operation_link.h"
#include "host/console/operations.h"
#include "host/runners/table_form_session.h"
#include "host/services/tick_clock.h"

namespace host {
namespace {

constexpr uint64_t kTickUs = 55000;

const char* const kForms[] = {"inkor", "inkor2", "inkor3", "inposun", "zapis", "fix", "natvrdo"};

void ReportWritten(TableFormSession& session, OperationLink& link) {
  const std::vector<std::string> written = session.Written();
  for (const std::string& line : written) link.Result(line);
  if (written.empty()) link.Result("write: none (left without saving)");
  std::stringstream table(session.TableText());
  for (std::string line; std::getline(table, line);)
    if (!line.empty()) link.Result("table: " + line);
  if (session.write_failed()) link.Message("the write service failed (message 135): " + session.write_error());
}

}  // namespace

void RunTableForm(const OperationRequest& request, OperationLink& link) {
  const OptionValues& values = request.values;
  TableFormSettings settings;
  for (int f = 0; f < 7; ++f)
    if (values.at("--form") == kForms[f]) settings.form = static_cast<TracerForm>(f);
  settings.language = static_cast<uint32_t>(std::stoul(values.at("--lang")));
  settings.decimals = std::stoi(values.at("--decimals"));
  settings.axis = std::stoi(values.at("--axis"));
  settings.machine = values.at("--machine")[0];
  if (!ReadWholeFile(values.at("--table"), &settings.table)) return link.Status("failed", "cannot read the table");
  settings.has_table = true;
  TableFormSession session(request.folder);
  std::string error;
  if (!session.Load(settings, &error)) return link.Status("failed", error);
  session.Open();
  link.Status("running", std::string("the form ") + values.at("--form") + " waits for keys");
  const uint8_t leave = FormLeaveKey(settings.form);
  uint32_t idle = 0;  // calls without a key since the last key
  uint64_t next = MonotonicMicroseconds() + kTickUs;
  for (;;) {
    const uint64_t now = MonotonicMicroseconds();
    int code = 0;
    OperationLink::KeyArrival arrival = OperationLink::kNoKey;
    if (now < next) arrival = link.NextKey(static_cast<int>((next - now + 999) / 1000), &code);
    if (arrival == OperationLink::kClosed) return;
    if (arrival == OperationLink::kNoKey && MonotonicMicroseconds() < next) continue;
    int status;
    if (arrival == OperationLink::kKey) {
      link.KeyWait(idle);
      idle = 0;
      status = session.Data(code == kConsoleFormLeave ? leave : static_cast<uint8_t>(code));
    } else {
      // A slow machine does not catch up with a burst of calls.
      next = std::max(next + kTickUs, MonotonicMicroseconds());
      status = session.Data(0);
      link.SinceKey(idle++);
    }
    if (status == 9) {
      link.Frame(session.screen());
      ReportWritten(session, link);
      return link.Status("finished", "the form closed");
    }
    if (arrival != OperationLink::kKey) link.Frame(session.screen());
  }
}

}  // namespace host
