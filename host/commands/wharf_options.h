// The FTP client's options, declared once for every command that loads
// Wharf (hostsim ftp, hostsim files) and read into the session's record.
#pragma once

#include <vector>

#include "host/commands/options.h"
#include "host/runners/wharf_session.h"

namespace host {

// --server, --tap, --user, --password, --own-ip, --mac, --next-hop, --loss,
// --reorder, --link, --seed, --reply-timeout, --pcap. With `required`,
// --server and --tap must be given; otherwise they are needed only when
// any of these options is (see WharfNetOptionsOf).
std::vector<Option> WharfOptionDeclarations(bool required);

// `first` followed by `then`: a command's own options with the shared ones.
std::vector<Option> Joined(std::vector<Option> first, const std::vector<Option>& then);

// True when any of the FTP options is on the command line.
bool HasWharfOptions(const ParsedArgs& args);
// The record of the options given; throws UsageError when --server or
// --tap is missing.
WharfNetOptions WharfNetOptionsOf(const ParsedArgs& args);

}  // namespace host
