#include "tests/support/preprocess_host.h"

#include <stdlib.h>

#include "host/screen/text.h"
#include "host/services/dispatch.h"

namespace testing_support {

PreprocessHost::PreprocessHost() {
  setenv("HOSTSIM_LIB_DIR", TEST_LIB_DIR, 1);
  box_.Write("c:\\cmos\\keep", "");
  box_.Write("c:\\out\\keep", "");
  std::string error;
  loaded_.Open(host::LibraryPath("Norvik"), &error);
}

void PreprocessHost::WriteProgramFile(const std::string& name, const std::string& content) {
  box_.Write("c:\\prog\\" + name, content);
}

Translation PreprocessHost::TranslateText(const std::string& source,
                                          const std::vector<std::string>& answers) {
  WriteProgramFile("main.prg", source);
  return Translate("main.prg", answers);
}

Translation PreprocessHost::Translate(const std::string& name,
                                      const std::vector<std::string>& answers) {
  host::Screen screen(right + 1 > 640 ? right + 1 : 640, bottom + 1 > 480 ? bottom + 1 : 480);
  host::PreprocessRunner runner(box_.files(), screen, &ticks_, tick_frequency, counts_down);
  host::PreprocessOptions options;
  options.source_dos_path = "c:\\prog\\" + name;
  options.destination_dos_path = "c:\\out\\p.nc";
  options.left = left;
  options.top = top;
  options.right = right;
  options.bottom = bottom;
  options.skip_slash = skip_slash;
  options.language = language;
  Translation t;
  std::string error;
  if (!runner.Load(options, &error)) {
    t.error = "load: " + error;
    return t;
  }
  int handles_before = box_.files().open_handles();
  uint32_t step = tick_step;
  bool down = counts_down;
  volatile uint32_t* ticks = &ticks_;
  host::SetDispatchObserver([step, down, ticks](uint32_t, int) {
    if (step != 0) *ticks = down ? *ticks - step : *ticks + step;
  });
  if (before_start) before_start();
  size_t next = 0;
  std::vector<uint8_t> typed;  // an answer's keys not handed over yet
  host::PreprocessRun run = runner.Run([&](const std::string&, std::vector<uint8_t>* keys) {
    std::string error;
    if (!key_by_key) return next < answers.size() && host::AnswerKeys(answers[next++], keys, &error);
    if (typed.empty() && (next >= answers.size() || !host::AnswerKeys(answers[next++], &typed, &error))) return false;
    keys->assign(1, typed.front());
    typed.erase(typed.begin());
    return true;
  });
  runner.Stop();
  host::SetDispatchObserver(nullptr);
  box_.files().ClearFaults();
  t.end = run.end;
  t.cont_calls = run.cont_calls;
  t.inputs = run.inputs;
  t.most_calls = run.most_calls;
  t.key_flag_after = runner.info().key_waiting;
  t.status = host::ZorvToUtf8(runner.status_line());
  t.error = host::ZorvToUtf8(runner.error_line());
  t.output_exists = box_.Exists("c:\\out\\p.nc");
  t.output = box_.Read("c:\\out\\p.nc");
  t.work_file_left = box_.Exists("c:\\cmos\\TempFile.TMP");
  t.handles_left = box_.files().open_handles() - handles_before;
  t.drawing = runner.graphics().recorder().Descriptions();
  return t;
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

}  // namespace testing_support
