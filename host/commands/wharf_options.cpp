#include "host/commands/wharf_options.h"

#include <stdlib.h>

#include <sstream>

#include "host/services/host_error.h"

namespace host {
namespace {

const char* const kNames[] = {"--server", "--tap",  "--user", "--password", "--own-ip", "--mac", "--next-hop",
                              "--loss",   "--reorder", "--link", "--seed", "--reply-timeout", "--pcap"};

std::string CheckIp(const std::string& value) {
  uint8_t ip[4];
  return ParseIpv4(value, ip) ? "" : "expected an IPv4 address such as 10.77.0.1";
}

std::string CheckMac(const std::string& value) {
  uint8_t mac[6];
  return ParseHardwareAddress(value, mac) ? "" : "expected a hardware address such as 02:00:00:77:00:02";
}

std::string CheckLogin(const std::string& value) { return value.size() <= 16 ? "" : "at most 16 characters"; }

// loss=P[,reorder=P], each P a probability from 0 to 1.
bool ParseLink(const std::string& value, double* loss, double* reorder) {
  std::stringstream parts(value);
  std::string part;
  bool any = false;
  while (std::getline(parts, part, ',')) {
    size_t eq = part.find('=');
    std::string name = part.substr(0, eq), number = eq == std::string::npos ? "" : part.substr(eq + 1);
    char* end = nullptr;
    double p = strtod(number.c_str(), &end);
    if (number.empty() || *end != '\0' || !(p >= 0 && p <= 1)) return false;
    if (name == "loss") *loss = p;
    else if (name == "reorder") *reorder = p;
    else return false;
    any = true;
  }
  return any;
}

std::string CheckLink(const std::string& value) {
  double loss = 0, reorder = 0;
  return ParseLink(value, &loss, &reorder) ? "" : "expected loss=P,reorder=P with each P from 0 to 1";
}

}  // namespace

std::vector<Option> WharfOptionDeclarations(bool required) {
  Option server = Text("--server", "IP", "the FTP server's address").Checked(CheckIp, "an IPv4 address");
  Option tap = Text("--tap", "NAME", "the TAP device the frames go through (must exist)");
  if (required) {
    server = server.Required();
    tap = tap.Required();
  } else {
    server.help += " (loads Wharf; the other FTP options need it)";
  }
  return {
      server,
      tap,
      Text("--user", "NAME", "login name", "anonymous").Checked(CheckLogin, "at most 16 characters"),
      Text("--password", "TEXT", "password", "hostsim@").Checked(CheckLogin, "at most 16 characters"),
      Text("--own-ip", "IP", "the library's own address", "10.77.0.2").Checked(CheckIp, "an IPv4 address"),
      Text("--mac", "MAC", "the library's hardware address", "02:00:00:77:00:02")
          .Checked(CheckMac, "six hexadecimal bytes joined by colons"),
      Text("--next-hop", "IP", "the router for the server (default: the server itself)")
          .Checked(CheckIp, "an IPv4 address"),
      Real("--loss", 0, 1, "0", "probability that the in-process link drops a frame (each way)"),
      Real("--reorder", 0, 1, "0", "probability that the link delays a frame behind the next one"),
      Text("--link", "loss=P,reorder=P", "--loss and --reorder in one option").Checked(CheckLink, "loss=P,reorder=P"),
      Int("--seed", 0, 4294967295.0, "1", "seed of the link's random faults"),
      Int("--reply-timeout", 1, 600000, "", "the library's reply time-out in milliseconds (default: its own)"),
      Text("--pcap", "FILE", "records the library's frames as a capture file"),
  };
}

std::vector<Option> Joined(std::vector<Option> first, const std::vector<Option>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

bool HasWharfOptions(const ParsedArgs& args) {
  for (const char* name : kNames)
    if (args.Has(name)) return true;
  return false;
}

WharfNetOptions WharfNetOptionsOf(const ParsedArgs& args) {
  if (!args.Has("--server")) throw UsageError("the FTP options need --server");
  if (!args.Has("--tap")) throw UsageError("--server needs --tap, the device the frames go through");
  WharfNetOptions o;
  ParseIpv4(args.Text("--server"), o.server);
  ParseIpv4(args.Text("--own-ip"), o.own_ip);
  if (args.Has("--next-hop")) {
    ParseIpv4(args.Text("--next-hop"), o.next_hop);
    o.next_hop_set = true;
  }
  ParseHardwareAddress(args.Text("--mac"), o.mac);
  o.user = args.Text("--user");
  o.password = args.Text("--password");
  o.tap = args.Text("--tap");
  o.loss = args.Real("--loss");
  o.reorder = args.Real("--reorder");
  if (args.Has("--link")) ParseLink(args.Text("--link"), &o.loss, &o.reorder);
  o.seed = static_cast<uint32_t>(args.Int("--seed"));
  o.reply_time_out = static_cast<uint32_t>(args.Int("--reply-timeout"));
  o.pcap = args.Text("--pcap");
  return o;
}

}  // namespace host
