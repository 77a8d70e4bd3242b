// Joining a wireless network through NetworkManager's command-line client
// (nmcli), and the IPv4 address-change wait that follows a join.
//
// The key never appears on a command line or in a log: it goes to nmcli in
// a passwd-file (mode 0600, in the caller's private folder) that is deleted
// as soon as nmcli has ended. nmcli runs through an NmcliRunner so that
// tests record the calls and answer with recorded output.
// THREADING: every function blocks; run them on a worker thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wifi_provider.h"

namespace platform {

// Runs nmcli with `args` (argv[1] onwards); its standard output goes to
// *out. Returns nmcli's exit code, or -1 when it could not be run.
using NmcliRunner = std::function<int(const std::vector<std::string>& args, std::string* out)>;

// nmcli bounded in time: "connection up" waits for the network itself
// (90 s by default), so a join may take that long; a hung nmcli is stopped.
inline constexpr uint32_t kNmcliJoinTimeoutMs = 100000;

// The nmcli at `path` (absolute), standard output collected, stopped after
// `timeoutMs` (its answer is then -1).
NmcliRunner NmcliAt(std::string path, uint32_t timeoutMs);

// The system's nmcli (/usr/bin/nmcli), standard output collected.
NmcliRunner SystemNmcli();

// The lines of the passwd-file for a key of `authentication` (0 WEP, 3 WPA,
// 6 WPA2; an open network has none: empty).
std::string NmPasswdFileText(int authentication, const std::string& key);

// The connections this program makes are named with this prefix before
// the network's SSID, so that they can be told from the user's own (which
// NetworkManager names after the SSID) and removed without touching those.
inline constexpr const char* kNmOwnConnectionPrefix = "Pemu: ";
std::string NmOwnConnectionName(const std::string& ssid);

// Joins request.ssid on request.interfaceName: replaces this program's own
// connection for the network (NmOwnConnectionName) and brings it up with
// the key from a passwd-file in `privateFolder`. A user's connection for
// the same network is left alone. False with the reason in *error
// (nmcli's exit code and its words; never the key).
bool NmJoinNetwork(const WifiJoinRequest& request, const NmcliRunner& nmcli,
                   const std::string& privateFolder, std::string* error);

// Deletes the connections this program made for `ssid`: Wi-Fi connections
// named NmOwnConnectionName(ssid) whose stored SSID is `ssid`. Every other
// connection, a user's one for the same network included, is kept. The
// number deleted (0: there was none), or -1 with the reason in *error when
// nmcli could not list, read or delete them.
int NmDeleteOwnConnections(const std::string& ssid, const NmcliRunner& nmcli, std::string* error);

// NetworkManager's state from `nmcli -t -f RUNNING,WIFI-HW,WIFI general`:
// running with Wi-Fi enabled is kManaged; running without it kNotManaged;
// no answer kQueryFailed.
WifiServiceState NmServiceState(const NmcliRunner& nmcli);

// The SSID of the active Wi-Fi connection (`nmcli -t -f ACTIVE,SSID device
// wifi list --rescan no`); empty when none.
std::string NmCurrentNetwork(const NmcliRunner& nmcli);

// The parsers, for recorded output. Terse fields are ':'-separated with
// '\:' and '\\' escapes.
std::vector<std::string> SplitNmcliTerse(std::string_view line);
WifiServiceState ParseNmServiceState(int exitCode, const std::string& output);
std::string ParseNmCurrentNetwork(const std::string& output);

// Waits up to `timeoutMs` for the kernel to report an IPv4 address added
// or removed (netlink, RTMGRP_IPV4_IFADDR): 1 reported, 0 the time ran
// out, -1 the netlink socket could not be opened.
int WaitForIpv4AddressChange(uint32_t timeoutMs);

}  // namespace platform
