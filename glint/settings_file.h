// GlnSet.sys: the scope's settings block in the host's settings folder.
#pragma once

#include <stdint.h>

#include "glint/glint_record.h"

// Palette byte of channel `channel`'s default colour.
uint32_t DefaultChannelColour(int channel);
// The defaults used until a valid file is read.
void DefaultSettings(GlintSettings* settings);
// Builds "<folder>\GlnSet.sys" (a missing final "\" added); false when the
// folder is null or the path does not fit.
bool SettingsPath(const char* folder, char* out, uint32_t capacity);
// Reads the file once: taken only when 208 bytes arrive and the magic
// matches, then scales and time base are clamped; otherwise `settings` is
// left as it was. The file is closed on every path.
void ReadSettingsFile(const char* folder, GlintSettings* settings);
// Writes the block with the magic through a temporary file; false when
// the settings were not saved (the old file is then intact).
bool SaveSettingsFile(const char* folder, const GlintSettings& settings);
