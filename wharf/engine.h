// The seam between the library's exports and the FTP engine. The library
// carries do-nothing defaults (weak), which the engine's own definitions
// replace when it is linked in.
#pragma once

// Clears the protocol part of the client record (wharfInit).
void WharfEngineReset();
// One pass of the engine, the last step of wharfCont.
void WharfEnginePass();

// Whether wharfInit has succeeded (exports other than FSPInit and wharfInit
// do nothing before).
bool WharfInitialised();
