// Fuzz target: the FTP engine's reply reader and session steps, with the
// server's replies, the links' states and time in any order.
//
// The engine runs over the scripted fake transport of the engine tests.
// The input is a sequence of operations; the first byte of each picks it:
//   0 submit        operation (1..7), name length, name
//   1 raw reply     length, bytes on the control link
//   2 reply line    class digit (1..5), two digits, '-' flag, text length,
//                   text: "NNN text\r\n" (or "NNN-text\r\n")
//   3 control link  new state
//   4 data link     new state
//   5 data bytes    length, bytes on the data link
//   6 time          u16 milliseconds, then one pass
//   7 passes        count (1..8), 10 ms apart
//   8 logout        wharfDone's request; with the next byte odd, cancel
//   9 link limits   control room, data room, refuse flag of active opens
// Checks: the engine stays in its states, keeps its reply line inside its
// buffer, never opens a local file twice nor touches one that is closed,
// and every command it sends is one line ending in CR LF.
#include "fuzz/fuzz_check.h"
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "tests/test_ftp_fake.h"
#include "wharf/ftp/client.h"

using namespace ftp_fake;

namespace {

struct Files {
  bool open = false;
  std::string source;
  size_t offset = 0;
  size_t written = 0;
} g_files;

int FilesOpen(const char* name) {
  FUZZ_CHECK(name != nullptr);
  FUZZ_CHECK(!g_files.open);
  g_files.open = true;
  g_files.offset = 0;
  return 1;
}
uint32_t FilesRead(uint32_t n, void* buffer, int* end) {
  FUZZ_CHECK(g_files.open);
  size_t k = std::min<size_t>(n, g_files.source.size() - g_files.offset);
  memcpy(buffer, g_files.source.data() + g_files.offset, k);
  g_files.offset += k;
  *end = g_files.offset == g_files.source.size();
  return static_cast<uint32_t>(k);
}
uint32_t FilesBufferSize() { return 512; }
int FilesWrite(uint32_t n, const void* buffer) {
  FUZZ_CHECK(g_files.open);
  FUZZ_CHECK(buffer != nullptr || n == 0);
  g_files.written += n;
  return 1;
}
int FilesClose(int) {
  FUZZ_CHECK(g_files.open);
  g_files.open = false;
  return 0;
}
const WharfFileOps kFiles = {FilesOpen, FilesOpen, FilesRead, FilesBufferSize, FilesWrite,
                             FilesClose};

void Error(int code) { FUZZ_CHECK(code < 0); }
void Completion(int operation, const char* text) {
  FUZZ_CHECK(operation >= 0 && operation <= kOpCdUp);
  if (text != nullptr) FUZZ_CHECK(strlen(text) < 0x10000);  // terminated
}
void Status(int, void*) {}

struct Input {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t u8() { return at < size ? data[at++] : 0; }
  uint16_t u16() { return static_cast<uint16_t>(u8() << 8 | u8()); }
  std::string bytes(size_t n) {
    n = std::min(n, size - at);
    std::string s(reinterpret_cast<const char*>(data + at), n);
    at += n;
    return s;
  }
};

void CheckClient(const FtpClient& c, FakeTransport& fake) {
  FUZZ_CHECK(c.state < kFtpStateCount);
  FUZZ_CHECK(c.reply_length <= kFtpReplyLineMax);
  FUZZ_CHECK(memchr(c.reply_line, 0, sizeof c.reply_line) != nullptr);
  FUZZ_CHECK(c.reply_class <= 5);
  // Commands on the control link: whole lines ending in CR LF.
  std::string& sent = fake.link[kFtpControl].sent;
  size_t end;
  while ((end = sent.find("\r\n")) != std::string::npos) {
    FUZZ_CHECK(sent.find('\n') == end + 1 && sent.find('\r') == end);
    sent.erase(0, end + 2);
  }
  FUZZ_CHECK(sent.empty());
  fake.link[kFtpData].sent.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_files = Files();
  g_files.source = std::string(700, 'u');
  FakeTransport fake;
  FtpTransport transport = FakeTransportTable(&fake);
  FtpClient c;
  FtpClientInit(c);
  c.transport = &transport;
  c.sink = {Error, Completion, Status};
  const uint8_t ip[4] = {192, 168, 1, 20};
  FtpSetLogin(c, ip, "anna", "secret");
  uint32_t clock = 100000;
  FtpResetProtocol(c, clock);

  Input in{data, size};
  for (int ops = 0; in.more() && ops < 300; ++ops) {
    switch (in.u8() % 10) {
      case 0: {
        uint8_t op = static_cast<uint8_t>(1 + in.u8() % 7);
        std::string name = in.bytes(in.u8() % 80);
        FtpSubmit(c, op, &kFiles, name.c_str(), "c:\\local.bin");
        break;
      }
      case 1:
        fake.link[kFtpControl].inbox += in.bytes(in.u8());
        break;
      case 2: {
        char code[4] = {static_cast<char>('1' + in.u8() % 5), static_cast<char>('0' + in.u8() % 10),
                        static_cast<char>('0' + in.u8() % 10), 0};
        bool more = in.u8() & 1;
        std::string text = in.bytes(in.u8() % 120);
        fake.link[kFtpControl].inbox += std::string(code) + (more ? "-" : " ") + text + "\r\n";
        break;
      }
      case 3:
        fake.link[kFtpControl].state = static_cast<FtpLinkState>(in.u8() % 11);
        break;
      case 4:
        fake.link[kFtpData].state = static_cast<FtpLinkState>(in.u8() % 11);
        break;
      case 5:
        fake.link[kFtpData].inbox += in.bytes(static_cast<size_t>(in.u8()) * 4);
        break;
      case 6:
        clock += in.u16();
        FtpPass(c, clock);
        break;
      case 7:
        for (int n = 1 + in.u8() % 8; n > 0; --n) {
          clock += 10;
          FtpPass(c, clock);
          CheckClient(c, fake);
        }
        break;
      case 8:
        if (in.u8() & 1) c.cancel = 1;
        else FtpRequestLogout(c);
        break;
      case 9:
        fake.link[kFtpControl].room = in.u16() % 1073;
        fake.link[kFtpData].room = in.u16() % 1073;
        fake.link[kFtpControl].refuse = fake.link[kFtpData].refuse = in.u8() & 1;
        break;
    }
    CheckClient(c, fake);
  }
  return 0;
}
