// MediaFetcher: the media side of the simulated receiver.
//
// A receiver plays a file that the sender serves by fetching the URL of the
// play request over HTTP, in byte ranges, as its player reads. This client
// does the same over a plain socket: it reads the URL out of a PlayVideo or
// PlayAudio frame, fetches it with GET or HEAD and an optional Range header,
// and can read a whole file range by range. The address in the URL is written
// with three digits per byte ("127.000.000.001"); each byte is read as a
// decimal number. Only loopback addresses are ever contacted.
//
// THREADING: the functions keep no state; any thread may call them.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tests/receiver/command/CommandParser.h"

namespace receiver_sim {

struct MediaUrl {
    std::string host;  // dotted, without leading zeros
    uint16_t port = 0;
    std::string path;  // from the first '/' on
};

struct MediaReply {
    int status = 0;                              // 0: no HTTP answer
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
};

// The URL of a PlayVideo (0xa0) or PlayAudio (0xae) request; "" for other
// frames or a malformed length.
std::string PlayRequestUrl(const SenderFrame& frame);

// Splits "http://A.B.C.D:P/path"; false when it is not of that form or the
// address is not a loopback one.
bool ParseMediaUrl(const std::string& url, MediaUrl* out);

// One request: GET, or HEAD with `head`; `range` like "0-99" (empty: none).
MediaReply FetchMedia(const std::string& url, const std::string& range = {}, bool head = false,
                      int timeoutMs = 10000);

// Reads the whole resource in ranges of `chunk` bytes, as a player does, and
// returns its bytes; false when a range is not answered with 206 and a
// Content-Range that fits what was asked.
bool PlayMedia(const std::string& url, size_t chunk, std::string* body);

}  // namespace receiver_sim
