#include "host/runners/scope_script.h"

namespace host {

const KeyTable kScopeKeys = {{
    {"restart", 3, 0, "view restart, shift 0", ""},
    {"clear", 3, 0, "the same (soft key \"Clear\")", ""},
    {"save", 5, 0, "write GlnSet.sys", ""},
    {"save2", 10, 0, "write GlnSet.sys (the second key)", ""},
    {"select", 11, 0, "next channel: 0 .. 9, all", ""},
    {"mark", 12, 0, "mark or unmark", ""},
    {"show", 13, 0, "show or hide", ""},
    {"auto", 14, 0, "automatic scale", ""},
    {"scale-", 20, 0, "manual scale one step smaller", ""},
    {"scale+", 21, 0, "manual scale one step larger", ""},
    {"tb-", 22, 0, "time base one step smaller", ""},
    {"tb+", 23, 0, "time base one step larger", ""},
    {"back", 24, 0, "shift one division back in time", ""},
    {"forward", 25, 0, "shift one division forward", ""},
    {"export", 30, 0, "export the captured samples", ""},
    {"run", kScopeStepRun, 0, "the host starts recording", ""},
    {"stop", kScopeStepStop, 0, "the host stops recording", ""},
    {"png", 0, 0, "write the screen now", "FILE"},
    {"layout", 0, 0, "open the screen again in region C, L or P", "LETTER"},
}, false};

}  // namespace host
