#include <errno.h>
#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "host/net/net_frames.h"

namespace host {

TapDevice::~TapDevice() { Close(); }

bool TapDevice::Open(const std::string& name, std::string* error) {
  Close();
  if (name.empty() || name.size() >= IFNAMSIZ) {
    if (error) *error = "bad TAP interface name '" + name + "'";
    return false;
  }
  int fd = open("/dev/net/tun", O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = std::string("cannot open /dev/net/tun: ") + strerror(errno);
    return false;
  }
  ifreq ifr;
  memset(&ifr, 0, sizeof ifr);
  ifr.ifr_flags = IFF_TAP | IFF_NO_PI;
  memcpy(ifr.ifr_name, name.c_str(), name.size());
  if (ioctl(fd, TUNSETIFF, &ifr) < 0) {
    if (error) *error = "cannot create TAP interface " + name + ": " + strerror(errno);
    close(fd);
    return false;
  }
  fd_ = fd;
  name_ = ifr.ifr_name;
  return true;
}

void TapDevice::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool TapDevice::Send(const uint8_t* frame, size_t length) {
  if (fd_ < 0) return false;
  ssize_t n = write(fd_, frame, length);
  return n == static_cast<ssize_t>(length);
}

size_t TapDevice::Receive(uint8_t* buffer, size_t capacity) {
  if (fd_ < 0) return 0;
  uint8_t frame[65536];
  for (;;) {
    ssize_t n = read(fd_, frame, sizeof frame);
    if (n <= 0) return 0;  // nothing waiting (EAGAIN) or the device is gone
    if (static_cast<size_t>(n) > capacity) continue;  // too long for the caller: dropped
    memcpy(buffer, frame, static_cast<size_t>(n));
    return static_cast<size_t>(n);
  }
}

}  // namespace host
