// Wharf's configuration: the initialisation record the host fills and the
// library's private copy of it.
//
// Service handles of the record (all reached through `dispatch`):
//   error_report      OPTIONAL  (int code)                       result unused
//   completion_report OPTIONAL  (int operation, const char* text) result unused
//   status_report     OPTIONAL  (int code, pointer-sized value)   result unused
//   send_frame        needed to send anything (buffer, length) -> non-zero
//                     when sent; absent means every send fails
//   receive_frame     needed to receive anything (buffer of 1520 bytes) ->
//                     length stored, 0 when no frame waits; absent: no frame
// A service is used only when both `dispatch` and its handle are non-zero.
// The host owns every address the record holds and keeps it alive while the
// library is loaded.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "bridge/host_api.h"

#pragma pack(push, 1)
struct WHARF_INIT_PARAMS {
  uint16_t size;             // bytes the host filled
  uint8_t own_mac[6];
  uint8_t own_ip[4];
  uint8_t server_ip[4];      // destination of every IP datagram sent
  uint8_t next_hop_ip[4];    // address resolved by ARP (server or gateway)
  char user[17];             // NUL-terminated, at most 16 characters
  char password[17];
  HostDispatch dispatch;
  uint32_t error_report;
  uint32_t completion_report;
  uint32_t status_report;
  uint32_t send_frame;
  uint32_t receive_frame;
};
#pragma pack(pop)

static_assert(sizeof(WHARF_INIT_PARAMS) == 78);
static_assert(offsetof(WHARF_INIT_PARAMS, own_mac) == 2);
static_assert(offsetof(WHARF_INIT_PARAMS, own_ip) == 8);
static_assert(offsetof(WHARF_INIT_PARAMS, server_ip) == 12);
static_assert(offsetof(WHARF_INIT_PARAMS, next_hop_ip) == 16);
static_assert(offsetof(WHARF_INIT_PARAMS, user) == 20);
static_assert(offsetof(WHARF_INIT_PARAMS, password) == 37);
static_assert(offsetof(WHARF_INIT_PARAMS, dispatch) == 54);
static_assert(offsetof(WHARF_INIT_PARAMS, error_report) == 58);
static_assert(offsetof(WHARF_INIT_PARAMS, completion_report) == 62);
static_assert(offsetof(WHARF_INIT_PARAMS, status_report) == 66);
static_assert(offsetof(WHARF_INIT_PARAMS, send_frame) == 70);
static_assert(offsetof(WHARF_INIT_PARAMS, receive_frame) == 74);

// The library's copy. All zero until WharfConfigInstall.
extern WHARF_INIT_PARAMS g_wharf_config;

// Clears the copy and copies min(size, 78) bytes of the host's record.
// Returns 1, or 0 for a null record (the earlier copy is kept then).
// The login strings are forced NUL-terminated, so a host that filled all 17
// bytes cannot make the library read past the field.
int WharfConfigInstall(const WHARF_INIT_PARAMS* host);
