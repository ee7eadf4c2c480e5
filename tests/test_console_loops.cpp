// The console's loops for running screens, over a real key pipe with real
// pauses between keys. Whatever the pauses and the machine's load, the
// wait each loop reports before a key must be exactly the clock the screen
// ran since the key before: that is what the recording's `wait` steps
// replay in the batch command.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host/console/operation.h"
#include "host/console/operation_link.h"
#include "host/console/shared_frame.h"
#include "host/console/timed_screen.h"
#include "host/runners/scope_script.h"
#include "host/screen/screen.h"

namespace {

struct Pipes {
  int key[2] = {-1, -1}, report[2] = {-1, -1};
  Pipes() {
    EXPECT_EQ(pipe(key), 0);
    EXPECT_EQ(pipe(report), 0);
    fcntl(report[0], F_SETFL, O_NONBLOCK);
  }
  ~Pipes() {
    for (int fd : {key[0], key[1], report[0], report[1]})
      if (fd >= 0) close(fd);
  }
  // Writes the codes with a pause before each, then closes the key pipe.
  std::thread Send(std::vector<std::pair<int, uint8_t>> pauses_and_codes) {
    return std::thread([this, pauses_and_codes] {
      for (const auto& [ms, code] : pauses_and_codes) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        EXPECT_EQ(write(key[1], &code, 1), 1);
      }
      close(key[1]);
      key[1] = -1;
    });
  }
  // The waits of the "keywait" lines reported.
  std::vector<uint32_t> KeyWaits() const {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(report[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    std::vector<uint32_t> waits;
    for (size_t at = 0; (at = text.find("keywait\t", at)) != std::string::npos; at += 8)
      waits.push_back(static_cast<uint32_t>(std::stoul(text.substr(at + 8))));
    return waits;
  }
};

TEST(ConsoleLoops, EachKeysWaitIsTheClockTheScreenRanSinceTheKeyBefore) {
  const host::Operation* scope = host::FindOperation("scope");
  ASSERT_NE(scope, nullptr);
  ASSERT_GE(scope->keys.size(), 2u);
  const uint8_t first = static_cast<uint8_t>(scope->keys[0].code), second = static_cast<uint8_t>(scope->keys[1].code);
  struct Row {
    uint32_t cycle_ms, settle_ms;
  };
  for (const Row& row : {Row{20, 0}, Row{20, 50}, Row{7, 3}}) {
    SCOPED_TRACE("cycle " + std::to_string(row.cycle_ms) + " ms, settle " + std::to_string(row.settle_ms) + " ms");
    Pipes pipes;
    host::SharedFrame frame;
    host::OperationLink link(frame, pipes.key[0], pipes.report[1]);
    host::Screen screen(16, 16);
    uint32_t ran = 0;                      // clock advanced since the last key
    std::vector<uint32_t> ran_before_key;  // ... when each key was pressed
    std::vector<std::string> words;
    host::TimedScreen timed;
    timed.operation = scope;
    timed.keys = &host::kScopeKeys;
    timed.cycle_ms = row.cycle_ms;
    timed.settle_ms = row.settle_ms;
    timed.advance = [&](uint32_t ms) {
      ran += ms;
      screen.Plot(0, 0, static_cast<uint8_t>(ran));  // a changed picture each time
    };
    timed.press = [&](const std::vector<host::KeyStep>& steps) {
      ran_before_key.push_back(ran);
      ran = 0;
      for (const host::KeyStep& s : steps) words.push_back(s.token);
    };
    timed.picture = [&]() -> const host::Screen& { return screen; };
    std::thread sender = pipes.Send({{0, first}, {45, second}, {0, first}, {90, second}, {30, 0}});
    host::RunTimedScreen(timed, link);
    sender.join();
    // Code 0 is no key of the scope: taken and reported, pressing nothing.
    const std::vector<uint32_t> waits = pipes.KeyWaits();
    ASSERT_EQ(waits.size(), 5u);
    ASSERT_EQ(ran_before_key.size(), 4u);
    for (size_t i = 0; i < ran_before_key.size(); ++i) {
      EXPECT_EQ(waits[i], ran_before_key[i]) << "key " << i;
      // The clock runs in whole cycles from the settled moment on.
      EXPECT_TRUE(waits[i] == row.settle_ms || waits[i] % row.cycle_ms == 0) << waits[i];
    }
    EXPECT_EQ(words, (std::vector<std::string>{scope->keys[0].word, scope->keys[1].word, scope->keys[0].word,
                                               scope->keys[1].word}));
  }
}

TEST(ConsoleLoops, AMachineScreensKeyWaitCountsItsCyclesAndTheEndIsToldOnce) {
  Pipes pipes;
  host::SharedFrame frame;
  host::OperationLink link(frame, pipes.key[0], pipes.report[1]);
  host::Screen screen(16, 16);
  constexpr uint32_t kCycles = 40;
  uint32_t cycles = 0, since_key = 0, finished = 0;
  std::vector<uint32_t> cycles_before_key;
  std::vector<uint8_t> codes;
  host::MachineScreen machine;
  machine.cycle_us = 2000;
  machine.running = [&] { return cycles < kCycles; };
  machine.cycle = [&] {
    ++cycles;
    ++since_key;
    screen.Plot(1, 1, static_cast<uint8_t>(cycles));
  };
  machine.press = [&](uint8_t code) {
    cycles_before_key.push_back(since_key);
    since_key = 0;
    codes.push_back(code);
  };
  machine.finished = [&] {
    ++finished;
    EXPECT_EQ(cycles, kCycles) << "told while the machine still ran";
  };
  machine.picture = [&]() -> const host::Screen& { return screen; };
  // Two keys while it runs, two at once, one long after it stood.
  std::thread sender = pipes.Send({{10, 2}, {0, 3}, {20, 4}, {400, 5}});
  host::RunMachineScreen(machine, link);
  sender.join();
  EXPECT_EQ(cycles, kCycles);
  EXPECT_EQ(finished, 1u);
  EXPECT_EQ(codes, (std::vector<uint8_t>{2, 3, 4, 5}));
  EXPECT_EQ(pipes.KeyWaits(), cycles_before_key);
  uint32_t counted = 0;
  for (uint32_t c : cycles_before_key) counted += c;
  EXPECT_LE(counted, kCycles) << "a cycle counted twice";
}

}  // namespace
