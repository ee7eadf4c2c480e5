#include <string.h>
#include <sys/time.h>

#include "host/net/net_frames.h"

namespace host {
namespace {

void Put32(uint8_t* p, uint32_t v) { memcpy(p, &v, 4); }
void Put16(uint8_t* p, uint16_t v) { memcpy(p, &v, 2); }

uint64_t WallMicroseconds() {
  timeval tv;
  gettimeofday(&tv, nullptr);
  return static_cast<uint64_t>(tv.tv_sec) * 1000000u + static_cast<uint64_t>(tv.tv_usec);
}

}  // namespace

PcapWriter::~PcapWriter() { Close(); }

bool PcapWriter::Open(const std::string& path, std::string* error) {
  Close();
  file_ = fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    if (error) *error = "cannot create " + path + ": " + strerror(errno);
    return false;
  }
  uint8_t header[24];
  Put32(header, 0xA1B2C3D4);   // magic, microsecond stamps, writer's byte order
  Put16(header + 4, 2);
  Put16(header + 6, 4);
  Put32(header + 8, 0);        // time zone
  Put32(header + 12, 0);       // accuracy
  Put32(header + 16, 65535);   // snapshot length
  Put32(header + 20, 1);       // Ethernet
  fwrite(header, 1, sizeof header, file_);
  frames_ = 0;
  return true;
}

void PcapWriter::Close() {
  if (file_ != nullptr) fclose(file_);
  file_ = nullptr;
}

void PcapWriter::Write(const uint8_t* frame, size_t length, uint64_t time_us) {
  if (file_ == nullptr) return;
  uint8_t record[16];
  Put32(record, static_cast<uint32_t>(time_us / 1000000u));
  Put32(record + 4, static_cast<uint32_t>(time_us % 1000000u));
  Put32(record + 8, static_cast<uint32_t>(length));
  Put32(record + 12, static_cast<uint32_t>(length));
  fwrite(record, 1, sizeof record, file_);
  fwrite(frame, 1, length, file_);
  fflush(file_);
  frames_++;
}

PcapTap::PcapTap(FrameEndpoint& inner, PcapWriter& writer, std::function<uint64_t()> clock_us)
    : inner_(inner), writer_(writer), clock_us_(clock_us ? std::move(clock_us) : WallMicroseconds) {}

bool PcapTap::Send(const uint8_t* frame, size_t length) {
  writer_.Write(frame, length, clock_us_());
  return inner_.Send(frame, length);
}

size_t PcapTap::Receive(uint8_t* buffer, size_t capacity) {
  size_t n = inner_.Receive(buffer, capacity);
  if (n > 0) writer_.Write(buffer, n, clock_us_());
  return n;
}

}  // namespace host
