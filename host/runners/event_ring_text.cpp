#include "host/runners/event_ring_text.h"

#include <string.h>

#include <sstream>

#include "host/screen/text.h"

namespace host {
namespace {

bool TwoDigits(const std::string& s, size_t at, int max, uint8_t* out) {
  if (!isdigit(static_cast<unsigned char>(s[at])) || !isdigit(static_cast<unsigned char>(s[at + 1]))) return false;
  int value = (s[at] - '0') * 10 + (s[at + 1] - '0');
  *out = static_cast<uint8_t>(value);
  return value <= max;
}

std::string ParseLine(const std::string& line, EVENT_RECORD* e) {
  memset(e, ' ', sizeof *e);
  e->unused9 = 0;
  e->unused30[0] = e->unused30[1] = 0;
  std::istringstream in(line);
  std::string time, code, cls;
  in >> time >> code >> cls;
  if (time.size() != 8 || time[2] != ':' || time[5] != ':' || !TwoDigits(time, 0, 23, &e->hour) ||
      !TwoDigits(time, 3, 59, &e->minute) || !TwoDigits(time, 6, 59, &e->second))
    return "time \"" + time + "\" is not HH:MM:SS (00:00:00 to 23:59:59)";
  std::string zcode = Utf8ToZorv(code);
  if (zcode.empty() || zcode.size() > 5) return "code \"" + code + "\": one to five characters";
  memcpy(e->code, zcode.data(), zcode.size());
  std::string zcls = Utf8ToZorv(cls);
  if (zcls.size() != 1) return "class \"" + cls + "\": one character (\"_\" for a blank)";
  e->event_class = zcls[0] == '_' ? ' ' : zcls[0];
  std::string rest;
  std::getline(in, rest);
  size_t start = rest.find_first_not_of(" \t");
  rest = start == std::string::npos ? "" : rest.substr(start);
  if (!rest.empty() && rest[0] == '!') {
    e->mark = '!';
    rest = rest.substr(1);
  }
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r')) rest.pop_back();
  std::string description = Utf8ToZorv(rest);
  if (description.size() > sizeof e->description)
    return "description \"" + rest + "\" has " + std::to_string(description.size()) +
           " characters, at most 19";
  memcpy(e->description, description.data(), description.size());
  return "";
}

struct RingState {
  uint32_t offset;
  bool wrapped;
};

RingState ReadState(const HostMemory& memory) {
  return {memory.Get<uint32_t>(kEventWriteOffset) & (kEventRingBytes - 32),
          memory.Get<uint32_t>(kEventWrapped) != 0};
}

void Put(HostMemory& memory, RingState* state, const EVENT_RECORD& e) {
  uint8_t* slot = const_cast<HostMemory&>(memory).At(kEventRingOffset + state->offset, sizeof e);
  if (slot != nullptr) memcpy(slot, &e, sizeof e);
  state->offset += sizeof e;
  if (state->offset == kEventRingBytes) {
    state->offset = 0;
    state->wrapped = true;
  }
}

void WriteState(HostMemory& memory, const RingState& state) {
  memory.Set<uint32_t>(kEventWriteOffset, state.offset);
  memory.Set<uint32_t>(kEventWrapped, state.wrapped ? 1 : 0);
  memory.Set<uint8_t>(kEventNewFlag, 1);
}

}  // namespace

std::string ParseEventRing(const std::string& text, std::vector<EVENT_RECORD>* events) {
  events->clear();
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos || line[start] == '#') continue;
    EVENT_RECORD e;
    std::string why = ParseLine(line.substr(start), &e);
    if (!why.empty()) return "line " + std::to_string(number) + ": " + why;
    events->push_back(e);
  }
  return "";
}

void AppendEvents(HostMemory& memory, const std::vector<EVENT_RECORD>& events) {
  RingState state = ReadState(memory);
  for (const EVENT_RECORD& e : events) Put(memory, &state, e);
  WriteState(memory, state);
}

void FillWrapped(HostMemory& memory, const std::vector<EVENT_RECORD>& events) {
  if (events.empty()) return;
  RingState state = ReadState(memory);
  for (uint32_t i = 0; i < kEventSlots; ++i) Put(memory, &state, events[i % events.size()]);
  state.wrapped = true;
  for (const EVENT_RECORD& e : events) Put(memory, &state, e);
  WriteState(memory, state);
}

EVENT_RECORD EventInSlot(const HostMemory& memory, uint32_t slot) {
  EVENT_RECORD e{};
  const uint8_t* at = memory.data() + kEventRingOffset + (slot % kEventSlots) * sizeof e;
  memcpy(&e, at, sizeof e);
  return e;
}

}  // namespace host
