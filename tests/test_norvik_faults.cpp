// Every file-service call of a translation that uses a sub-program, a data
// file and the origin table fails once (with a status, or in dispatch):
// the error is shown, the translation never completes, and after
// PreprocessStop nothing is left open, no work file and no partial
// destination.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/preprocess_host.h"

namespace {

using testing_support::CrLf;
using testing_support::PreprocessHost;
using testing_support::Translation;

TEST(NorvikFaults, EveryFileCallFailsOnce) {
  PreprocessHost host;
  host.WriteProgramFile("FI1EOR", CrLf({"+1X100Y200"}));
  host.WriteProgramFile("HOLES.DAT", CrLf({"+10-20", "+30-40"}));
  host.WriteProgramFile("ROW.SPF", CrLf({"(RPT,2)", "(RED,0,0)", "XE1YE2", "(ERP)"}));
  host.WriteProgramFile("main.prg",
                        CrLf({"E3=0", "(UAO,1)", "(DER,0,E1,E2)", "(OPN,0,HOLES.DAT)", "(DIS,\"rows\")",
                              "(CLS,ROW.SPF)", "(CLO,0)", "\"L\"", "E3=E3+1", "(BLT,E3,2,L)"}));
  host.box().files().ClearFaults();
  const int slots[] = {kFspOpen, kFspRead, kFspWrite, kFspClose, kFspSeek, kFspDelete};
  int clean_calls[14] = {};
  int before[14];
  for (int s = 0; s < 14; ++s) before[s] = host.box().files().calls(s);
  Translation clean = host.Translate("main.prg");
  ASSERT_EQ(clean.end, host::PreprocessEnd::kComplete) << clean.error;
  for (int s = 0; s < 14; ++s) clean_calls[s] = host.box().files().calls(s) - before[s];
  EXPECT_GE(clean_calls[kFspRead], 5);
  EXPECT_GT(clean_calls[kFspClose], 4);
  EXPECT_EQ(clean_calls[kFspDelete], 1);
  int runs = 0;
  for (int slot : slots) {
    for (int nth = 1; nth <= clean_calls[slot]; ++nth) {
      for (bool in_dispatch : {false, true}) {
        SCOPED_TRACE("call " + std::to_string(nth) + " of slot " + std::to_string(slot) +
                     (in_dispatch ? " fails in dispatch" : " fails"));
        // A destination left from an earlier run is no partial one.
        std::filesystem::remove(host.box().files().Resolve("c:\\out\\p.nc"));
        host.before_start = [&] {
          if (in_dispatch) {
            host.box().files().FailDispatch(slot, nth);
          } else {
            host.box().files().FailCall(slot, nth, -3);
          }
        };
        Translation t = host.Translate("main.prg");
        ++runs;
        EXPECT_EQ(t.end, host::PreprocessEnd::kHalted);
        EXPECT_FALSE(t.error.empty());
        EXPECT_EQ(t.handles_left, 0);
        EXPECT_FALSE(t.work_file_left);
        EXPECT_FALSE(t.output_exists);
        // The last close is the destination's: a complete program that
        // cannot be closed is a failed write (error 14).
        if (slot == kFspClose && nth == clean_calls[kFspClose]) {
          EXPECT_EQ(t.error, "Chyba při zápisu do souboru");
        }
      }
    }
  }
  EXPECT_GT(runs, 40);
  // And the clean run still works afterwards.
  host.before_start = nullptr;
  Translation again = host.Translate("main.prg");
  EXPECT_EQ(again.end, host::PreprocessEnd::kComplete);
  EXPECT_EQ(again.output, clean.output);
}

}  // namespace
