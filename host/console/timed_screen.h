// The loop of a timed screen in the console: a library called periodically
// (the scope's DATA_GLINT, the CAN monitor's CanData and CanViewCont) whose
// picture depends on the time between keys. Its clock runs in real time
// in whole cycles, without sleeping: the loop waits for a key until the
// next cycle is due. Each key is handed over as the word the recording
// writes for it, parsed with the batch command's key table, after the
// clock has caught up, and the wait applied before it is reported
// (OperationLink::KeyWait), so the batch command replays the same calls in
// the same order.
#pragma once

#include <stdint.h>

#include <functional>
#include <vector>

#include "host/commands/key_script.h"
#include "host/console/operation.h"
#include "host/console/operation_link.h"
#include "host/screen/screen.h"

namespace host {

struct TimedScreen {
  const Operation* operation = nullptr;  // its key words
  const KeyTable* keys = nullptr;        // the batch command's key table
  uint32_t cycle_ms = 20;                // the clock advances in whole cycles
  // Time the batch command runs on after its script before it writes the
  // picture: frames are shown from that long after a key on, and the
  // recording ends with the wait less it.
  uint32_t settle_ms = 0;
  std::function<void(uint32_t ms)> advance;                 // a `wait` step
  std::function<void(const std::vector<KeyStep>&)> press;   // a key's steps
  std::function<const Screen&()> picture;
};

// Runs until the console closes the key pipe.
void RunTimedScreen(TimedScreen& screen, OperationLink& link);

// A screen beside a machine that runs a program to its end (the path
// graphics, the path view): one cycle every `cycle_us` while the machine
// runs, each key handed over at once between two cycles, the cycles since
// the last key reported as its wait. Once the machine stands, `finished`
// says so; keys are still taken until the console closes the key pipe.
struct MachineScreen {
  uint64_t cycle_us = 10000;
  std::function<bool()> running;
  std::function<void()> cycle;
  std::function<void(uint8_t code)> press;
  std::function<void()> finished;
  std::function<const Screen&()> picture;
};

void RunMachineScreen(MachineScreen& screen, OperationLink& link);

}  // namespace host
