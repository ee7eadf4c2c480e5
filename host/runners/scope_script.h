// The steps of hostsim scope's key scripts (host/commands/key_script.h):
// the scope's keys by name, the host's own steps and what they do.
//   restart (clear) 3, save 5, save2 10, select 11, mark 12, show 13,
//   auto 14, scale- 20, scale+ 21, tb- 22, tb+ 23, back 24, forward 25,
//   export 30, or a key code 0..255: one DATA_GLINT call with that key
//   run, stop       the host starts / stops recording
//   wait MS         simulated time: a row a millisecond while running,
//                   DATA_GLINT every 20 ms
//   png FILE        the screen as it is now
//   layout C|L|P    the host opens the screen again (PREFIX_GLINT) in that
//                   region; the other half stays as drawn
#pragma once

#include "host/commands/key_script.h"

namespace host {

// Codes above the key range stand for the host's steps.
constexpr int kScopeStepRun = 256;
constexpr int kScopeStepStop = 257;

extern const KeyTable kScopeKeys;

}  // namespace host
