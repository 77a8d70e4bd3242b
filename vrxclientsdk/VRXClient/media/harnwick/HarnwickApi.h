// The entry points of the local web-server module "Harnwick" (libHarnwick.so),
// as the media streams resolve them by name. C linkage, so that the names in
// the module are exactly these.
//
// The module serves registered files over HTTP (GET, HEAD, single byte
// ranges) and nothing else: every other path is answered 404.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {
// Serves HTTP on `port` on the calling thread until HWKShutdown. Returns false
// at once when the port cannot be bound (another program holds it, or this
// module already serves it); true after a shutdown. Port 0 is refused.
using HWKInitFn = bool (*)(uint16_t port);
// Publishes a readable regular file under a new, unguessable URL path and
// writes that path, terminated, into `urlPath` (capacity `urlPathSize`; at
// least kHwkUrlPathCapacity is enough). False when the file cannot be read
// or the path does not fit. Every server of the module serves it.
using HWKRegisterWFn = bool (*)(const wchar_t* path, char* urlPath, size_t urlPathSize);
// Withdraws every URL path under which the file `path` is published; false
// when there was none.
using HWKDeregisterWFn = bool (*)(const wchar_t* path);
// Withdraws one URL path; false when it is not published.
using HWKDeregisterByURLFn = bool (*)(const char* urlPath);
// Stops every server of the module and returns once their HWKInit calls have
// returned. True also when none was running.
using HWKShutdownFn = bool (*)();
// Allows (or withdraws one allowance of) the peer `ipv4` (network order, not
// 0). While any peer is allowed, every server of the module answers only the
// allowed peers and this host; connections of others are closed. False when
// the address is 0 or a withdrawn one had no allowance. Optional: a module
// without it answers every peer.
using HWKAllowPeerFn = bool (*)(uint32_t ipv4, bool allow);
}

constexpr char kHarnwickModuleName[] = "Harnwick";
constexpr char kHWKInitEntry[] = "HWKInit";
constexpr char kHWKRegisterWEntry[] = "HWKRegisterW";
constexpr char kHWKDeregisterWEntry[] = "HWKDeregisterW";
constexpr char kHWKDeregisterByURLEntry[] = "HWKDeregisterByURL";
constexpr char kHWKShutdownEntry[] = "HWKShutdown";
constexpr char kHWKAllowPeerEntry[] = "HWKAllowPeer";

// A URL path is "/", 22 random characters and at most ".", 8 characters of
// the file's extension: this buffer holds any of them with its terminator.
constexpr size_t kHwkUrlPathCapacity = 40;
