// The run functions of the console's operations (operations_*.cpp), each
// in the operation's own process.
#pragma once

#include <string>

#include "host/console/operation.h"

namespace host {

// The whole of a file the page chose (already resolved in the sandbox);
// false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* text);

void RunProgramView(const OperationRequest& request, OperationLink& link);
void RunTransformDialog(const OperationRequest& request, OperationLink& link);
void RunTechnolScreen(const OperationRequest& request, OperationLink& link);
void RunShowIso(const OperationRequest& request, OperationLink& link);
void RunNcView(const OperationRequest& request, OperationLink& link);
// Timed screens (host/console/timed_screen.h).
void RunScope(const OperationRequest& request, OperationLink& link);
void RunCanView(const OperationRequest& request, OperationLink& link);
// The file manager and the forms.
void RunFileManager(const OperationRequest& request, OperationLink& link);
void RunTableForm(const OperationRequest& request, OperationLink& link);
void RunTransform(const OperationRequest& request, OperationLink& link);

// libVitals, Anvil's CAN peripherals, libMosaic's LED window.
void RunVitalsPanel(const OperationRequest& request, OperationLink& link);
void RunVitalsEvents(const OperationRequest& request, OperationLink& link);
void RunVitalsScreen(const OperationRequest& request, OperationLink& link);
void RunCanPeriph(const OperationRequest& request, OperationLink& link);
void RunLedWindow(const OperationRequest& request, OperationLink& link);
// The machine moving: path graphics, path view, preprocessor, drawing-layer cards.
void RunPath(const OperationRequest& request, OperationLink& link);
void RunPlotline(const OperationRequest& request, OperationLink& link);
void RunPreprocess(const OperationRequest& request, OperationLink& link);
void RunTestCard(const OperationRequest& request, OperationLink& link);

}  // namespace host
