#include "usbshare/UsbIpMessageRules.h"

namespace usbip {

RequestVerdict AcceptRequest(std::span<const uint8_t> request, UsbIpRequestTracker& tracker,
                             UsbIpHeader* header) {
    if (request.size() < kHeaderSize) {
        return RequestVerdict::kMalformed;
    }
    *header = UsbIpHeader::Decode(request.first<kHeaderSize>());
    const bool known = header->command == kCmdSubmit || header->command == kCmdUnlink;
    if (!known || RequestSize(*header) != request.size()) {
        return RequestVerdict::kMalformed;
    }
    return tracker.OnRequest(*header) ? RequestVerdict::kSend : RequestVerdict::kUntracked;
}

ReplyRoute RouteReply(std::span<const uint8_t, kHeaderSize> header, UsbIpRequestTracker& tracker) {
    ReplyRoute route;
    route.header = UsbIpHeader::Decode(header);
    if (header[3] != kReplyMark) {
        route.why = "reply without the reply mark";
        return route;
    }
    const UsbIpRequestTracker::Match match = tracker.OnReply(route.header);
    const uint64_t body = match.hasBody ? ReplyBodySize(route.header) : 0;
    if (kHeaderSize + body > kMaxMessageSize) {
        route.why = "reply larger than the largest message";
        return route;
    }
    route.kind = match.found ? ReplyRoute::Kind::kForward : ReplyRoute::Kind::kDrop;
    route.bodyLength = static_cast<size_t>(body);
    route.endpoint = match.endpoint;
    return route;
}

}  // namespace usbip
