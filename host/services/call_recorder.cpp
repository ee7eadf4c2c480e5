#include "host/services/call_recorder.h"

#include <stdio.h>

#include "host/screen/text.h"

namespace host {

namespace {

std::string DescribeDisplay(const GdiCall& c) {
  char buf[200];
  switch (c.word) {
    case 18:
      snprintf(buf, sizeof buf, "DisplaySetColors fg=%d bg=%d", c.fg, c.bg);
      break;
    case 21:
      snprintf(buf, sizeof buf, "DisplayFill (%d,%d) %dx%d", c.x, c.y, c.w, c.h);
      break;
    case 24:
      snprintf(buf, sizeof buf, "DisplayLine (%d,%d)-(%d,%d) pattern=0x%04X", c.x, c.y, c.x2, c.y2, c.pattern);
      break;
    case 25:
      snprintf(buf, sizeof buf, "DisplayArc centre=(%d,%d) start=(%d,%d) end=(%d,%d) %d", c.x, c.y, c.x2, c.y2,
               c.x3, c.y3, c.value);
      break;
    case 33:
      if (c.columns < 0)
        snprintf(buf, sizeof buf, "DisplayTextStyle (%d,%d) fg=%d bg=%d font=%d", c.x, c.y, c.fg, c.bg, c.font);
      else
        snprintf(buf, sizeof buf, "DisplayTextStyle (%d,%d) columns=%d rows=%d fg=%d bg=%d font=%d", c.x, c.y,
                 c.columns, c.rows, c.fg, c.bg, c.font);
      break;
    case 35:
      return std::string("DisplayWriteText \"") + ZorvToUtf8(c.text) + "\"";
    case 46:
      return std::string("DisplayWriteChar \"") + ZorvToUtf8(c.text) + "\"";
    default:
      snprintf(buf, sizeof buf, "DisplayWord %d", c.word);
      break;
  }
  return buf;
}

}  // namespace

std::string GdiCall::Describe() const {
  char buf[160];
  if (!error.empty()) return std::string(service) + " refused: " + error;
  if (word >= 0) return DescribeDisplay(*this);
  switch (slot) {
    case 0:
      snprintf(buf, sizeof buf, "GdiSetColors fg=%d bg=%d", fg, bg);
      break;
    case 3:
      snprintf(buf, sizeof buf, "GdiFillRect (%d,%d) %dx%d", x, y, w, h);
      break;
    case 5:
      snprintf(buf, sizeof buf, "GdiSetXorMode %d", value);
      break;
    case 6:
      snprintf(buf, sizeof buf, "GdiLine (%d,%d)-(%d,%d) pattern=0x%04X", x, y, x2, y2, pattern);
      break;
    case 7:
      snprintf(buf, sizeof buf, "GdiTriangle (%d,%d) (%d,%d) (%d,%d) pattern=0x%04X", x, y, x2, y2,
               x3, y3, pattern);
      break;
    case 14:
    case 15:
      snprintf(buf, sizeof buf, "%s (%d,%d) %dx%d buffer=0x%08X", service, x, y, w, h, buffer);
      break;
    case 16:
      snprintf(buf, sizeof buf, "GdiTextBox (%d,%d) columns=%d rows=%d fg=%d bg=%d font=%d", x, y,
               columns, rows, fg, bg, font);
      break;
    case 18:
      return std::string("GdiWriteText \"") + ZorvToUtf8(text) + "\"";
    case 26:
      snprintf(buf, sizeof buf, "GdiTextBlank %d", value);
      break;
    case 29:
      return std::string("GdiWriteChar \"") + ZorvToUtf8(text) + "\"";
    default: {
      std::string out = service;
      for (uint32_t a : args) {
        snprintf(buf, sizeof buf, " %d", static_cast<int>(a));
        out += buf;
      }
      return out;
    }
  }
  return buf;
}

std::vector<std::string> CallRecorder::Descriptions() const {
  std::vector<std::string> out;
  out.reserve(calls_.size());
  for (const GdiCall& call : calls_) out.push_back(call.Describe());
  return out;
}

}  // namespace host
