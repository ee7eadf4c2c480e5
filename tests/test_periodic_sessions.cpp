// The steps of a key script as the periodic screens' sessions take them
// (VitalsSession, CanPeriphSession), which the batch commands and the
// console share: each row runs a script through Step and the calls it
// stands for one by one, each in a fresh session, and expects the same
// number of calls and the same screen. A wait rounded the wrong way, a key
// handed to the wrong call or a typed digit lost shows as a difference.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/commands/key_script.h"
#include "host/runners/can_periph_session.h"
#include "host/runners/vitals_session.h"
#include "tests/support/sandbox.h"

namespace {

struct Outcome {
  std::vector<uint8_t> pixels;
  int calls = 0;
};

std::vector<host::KeyStep> Parse(const std::string& script, const host::KeyTable& table) {
  std::vector<host::KeyStep> steps;
  EXPECT_EQ(host::ParseKeyScript(script, table, &steps), "") << script;
  return steps;
}

Outcome RunVitals(const std::string& screen, const std::function<void(host::VitalsSession&)>& calls) {
  testing_support::Sandbox box;
  host::VitalsSession session(box.root());
  std::string error;
  EXPECT_TRUE(session.Load(9, &error)) << error;
  host::VitalsSetup setup;
  setup.screen = screen;
  setup.ring = "07:02:40 A1203 8 !Torch collision\n07:03:00 B7 _ Cutting started\n";
  EXPECT_EQ(session.SetUp(setup), "");
  session.Open();
  calls(session);
  return {session.screen().pixels(), session.calls()};
}

TEST(PeriodicSessions, VitalsScriptStepsAreTheCallsTheyStandFor) {
  using S = host::VitalsSession;
  const struct {
    const char* screen;
    const char* script;
    std::function<void(S&)> calls;
    const char* why;
  } rows[] = {
      {"slm", "wait 250, 1", [](S& s) { s.Idle(), s.Idle(), s.Idle(), s.Key(1); },
       "every 100 ms begun is one call without a key, then the key's call"},
      {"slm", "wait 0, 2, wait 100", [](S& s) { s.Key(2), s.Idle(); }, "no call for no time"},
      {"keyboard", "5, wait 100, 12", [](S& s) { s.Held({5, -1, -1, -1}), s.Held(host::kNoKeysHeld), s.Held({12, -1, -1, -1}); },
       "a key number is held for its one call, let go by a call without it"},
      {"events", "wait 1, live, wait 101, filter", [](S& s) { s.Idle(), s.Key(1), s.Idle(), s.Idle(), s.Key(4); },
       "the event log's keys in the record, a call per cycle between them"},
  };
  for (const auto& row : rows) {
    const std::vector<host::KeyStep> steps = Parse(row.script, host::kVitalsKeys);
    const Outcome by_script = RunVitals(row.screen, [&](S& s) {
      for (const host::KeyStep& step : steps) s.Step(step);
    });
    const Outcome by_calls = RunVitals(row.screen, row.calls);
    const Outcome opened = RunVitals(row.screen, [](S&) {});
    EXPECT_EQ(by_script.calls, by_calls.calls) << row.screen << " " << row.script << ": " << row.why;
    EXPECT_TRUE(by_script.pixels == by_calls.pixels) << row.screen << " " << row.script << ": " << row.why;
    EXPECT_FALSE(by_calls.pixels == opened.pixels) << row.screen << " " << row.script << ": the calls draw nothing";
  }
}

TEST(PeriodicSessions, CanPeriphActionStepsAreTheCallsTheyStandFor) {
  using S = host::CanPeriphSession;
  const uint8_t dialog = S::kDialogAction;
  const struct {
    const char* script;
    std::function<void(S&)> calls;
    size_t exchanges;  // SDO exchanges the driver answered
  } rows[] = {
      {"type, wait 150, node", [](S& s) { s.Data(2), s.Data(), s.Data(), s.Data(3); }, 0},
      {"64 next 24576 next 1 send",
       [&](S& s) {
         for (char c : std::string("64")) s.Data(dialog, static_cast<uint8_t>(c));
         s.Data(dialog, 1);
         for (char c : std::string("24576")) s.Data(dialog, static_cast<uint8_t>(c));
         s.Data(dialog, 1), s.Data(dialog, '1'), s.Data(5);
       },
       1},
      {"type, sign, clear, previous", [&](S& s) { s.Data(2), s.Data(dialog, 63), s.Data(dialog, 46), s.Data(dialog, 2); }, 0},
  };
  for (const auto& row : rows) {
    std::vector<uint8_t> pictures[2];
    size_t answered = 0;
    for (int way = 0; way < 2; ++way) {
      testing_support::Sandbox box;
      S session(box.root(), 3, 2);
      std::string error;
      ASSERT_TRUE(session.Load(9, &error)) << error;
      session.Open('C');
      if (way == 0) {
        for (const host::KeyStep& step : Parse(row.script, host::kCanPeriphActions)) answered += session.Step(step).size();
      } else {
        row.calls(session);
      }
      session.Data();  // the answer to a request shows with the next call
      pictures[way] = session.screen().pixels();
    }
    EXPECT_EQ(answered, row.exchanges) << row.script;
    EXPECT_TRUE(pictures[0] == pictures[1]) << row.script;
  }
}

}  // namespace
