// What every screen of libTracer runs on, built in the order each needs
// the one before: the drive folder's file services, the form screen with
// the display block over it, the Tracer record, and the runner that loads
// and calls the library. Each Tracer session holds one and adds what its
// screen needs besides.
#pragma once

#include <string>

#include "host/runners/tracer_runner.h"
#include "host/screen/screen.h"
#include "host/services/display_services.h"
#include "host/services/file_services.h"
#include "host/services/tracer_host.h"

namespace host {

struct TracerStage {
  // `folder` is the drive folder the library's file services reach.
  explicit TracerStage(const std::string& folder, int width = 640, int height = 480)
      : files(folder), screen(width, height), display(screen, TextStyle::kForm), tracer(display, &files),
        runner(tracer, files) {}
  TracerStage(const TracerStage&) = delete;
  TracerStage& operator=(const TracerStage&) = delete;

  FileServices files;
  Screen screen;
  DisplayServices display;
  TracerHost tracer;
  TracerRunner runner;
};

}  // namespace host
