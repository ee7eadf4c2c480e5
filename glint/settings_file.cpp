#include "glint/settings_file.h"

#include "bridge/fsp.h"
#include "glint/safe_file.h"
#include "glint/scope_tables.h"

namespace {

const char kSettingsName[] = "GlnSet.sys";

// Default colour of each channel: palette bytes RUDA, T13, ZELENA, P0,
// ZLUTA, FIAL, T14, T12, P1, TMAVSI.
const uint8_t kDefaultColours[kGlintChannels] = {33, 22, 34, 27, 31, 32, 21, 23, 26, 30};

SafeFile g_settings_file;

}  // namespace

uint32_t DefaultChannelColour(int channel) { return kDefaultColours[channel]; }

void DefaultSettings(GlintSettings* settings) {
  settings->magic = kGlintSettingsMagic;
  for (int k = 0; k < kGlintChannels; ++k) {
    GlintChannelSettings& c = settings->channels[k];
    c.shown = 1;
    c.marked = 0;
    c.colour = kDefaultColours[k];
    c.scale = k % 2 == 0 ? 10000 : 50;
    c.type = 0;
  }
  settings->time_base = 25;
}

bool SettingsPath(const char* folder, char* out, uint32_t capacity) {
  if (folder == nullptr) return false;
  uint32_t n = 0;
  while (n < capacity && folder[n] != '\0') {
    out[n] = folder[n];
    ++n;
  }
  if (n > 0 && folder[n - 1] != '\\') {
    if (n >= capacity) return false;
    out[n++] = '\\';
  } else if (n == 0) {
    out[n++] = '\\';
  }
  if (n + sizeof kSettingsName > capacity) return false;
  for (uint32_t i = 0; i < sizeof kSettingsName; ++i) out[n + i] = kSettingsName[i];
  return true;
}

void ReadSettingsFile(const char* folder, GlintSettings* settings) {
  char path[kSafePathBytes];
  if (!SettingsPath(folder, path, sizeof path)) return;
  uint32_t handle = 0, size = 0;
  if (FspOpen(path, kFspOpenRead, &handle, &size) != kStatusOk) return;
  GlintSettings block;
  uint8_t* bytes = reinterpret_cast<uint8_t*>(&block);
  uint32_t total = 0;
  while (total < sizeof block) {
    uint16_t count = 0;
    int8_t status = FspRead(handle, bytes + total, static_cast<uint16_t>(sizeof block - total), &count);
    if (status != kStatusOk && status != kStatusEndOfFile) break;
    if (count > sizeof block - total) count = static_cast<uint16_t>(sizeof block - total);
    total += count;
    if (count == 0 || status == kStatusEndOfFile) break;
  }
  FspClose(handle);
  if (total != sizeof block || block.magic != kGlintSettingsMagic) return;
  for (GlintChannelSettings& c : block.channels) {
    c.shown = c.shown != 0;
    c.marked = c.marked != 0;
    c.scale = ClampU32(c.scale, kScaleMin, kScaleMax);
  }
  block.time_base = ClampU32(block.time_base, kTimeBaseMin, kTimeBaseMax);
  *settings = block;
}

bool SaveSettingsFile(const char* folder, const GlintSettings& settings) {
  char path[kSafePathBytes];
  if (!SettingsPath(folder, path, sizeof path)) return false;
  GlintSettings block = settings;
  block.magic = kGlintSettingsMagic;
  SafeFile* f = &g_settings_file;
  return SafeFileBegin(f, path) && SafeFilePut(f, &block, sizeof block) && SafeFileCommit(f);
}
