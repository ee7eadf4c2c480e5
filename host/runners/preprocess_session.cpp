#include "host/runners/preprocess_session.h"

#include <filesystem>

#include "host/services/host_error.h"

namespace host {

namespace fs = std::filesystem;

const KeyTable kPreprocessKeys = {{
    {"enter", 255, 255, "stores the number (ends the input)", ""},
    {"point", 43, 43, "the decimal point", ""},
    {"sign", 63, 63, "turns the sign", ""},
    {"delete", 46, 46, "removes the last character", ""},
}, true};

namespace {

std::string MakeDir(const std::string& folder, const std::string& relative) {
  const std::string path = folder + "/" + relative;
  std::error_code ec;
  fs::create_directories(path, ec);
  if (ec) throw HostError("cannot create " + path + ": " + ec.message());
  return path;
}

}  // namespace

PreprocessSession::PreprocessSession(const std::string& folder, const std::string& source,
                                     const std::string& output_name, const PreprocessSettings& settings)
    : files_(folder),
      screen_(settings.width, settings.height),
      runner_(files_, screen_, clock_.counter(), TickClock::kFrequency),
      refresh_([this](uint32_t, int) { clock_.Refresh(); }) {
  const std::string prog = MakeDir(folder, "c/prog");
  MakeDir(folder, "c/cmos");
  MakeDir(folder, "c/output");
  fs::path from = fs::path(source).parent_path();
  if (from.empty()) from = ".";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(from, ec)) {
    if (!entry.is_regular_file()) continue;
    std::error_code copied;
    fs::copy_file(entry.path(), prog + "/" + entry.path().filename().string(), fs::copy_options::overwrite_existing,
                  copied);
    if (copied) throw HostError("cannot copy " + entry.path().string() + ": " + copied.message());
  }
  if (ec) throw HostError(from.string() + ": " + ec.message());
  options_.source_dos_path = "c:\\prog\\" + fs::path(source).filename().string();
  options_.destination_dos_path = "c:\\output\\" + output_name;
  options_.right = settings.width - 1;
  options_.bottom = settings.height - 1;
  options_.language = settings.language;
  options_.skip_slash = settings.skip_slash;
}

bool PreprocessSession::Load(std::string* error) { return runner_.Load(options_, error); }

PreprocessRun PreprocessSession::Run(const PreprocessRunner::KeySource& keys, const std::function<void()>& after_cont) {
  return runner_.Run(keys, after_cont);
}

}  // namespace host
