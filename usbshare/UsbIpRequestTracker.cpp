#include "usbshare/UsbIpRequestTracker.h"

namespace usbip {

bool UsbIpRequestTracker::OnRequest(const UsbIpHeader& request) {
    if (request.IsOut() && request.command == kCmdSubmit) {
        bool stored = false;
        for (uint32_t& seq : m_outSeq) {
            if (seq == 0) {
                seq = request.seqnum;
                stored = true;
                break;
            }
        }
        if (!stored) {
            return false;
        }
    }
    for (Slot& slot : m_pending) {
        if (!slot.used) {
            slot.used = true;
            slot.header = request;
            slot.header.command = request.command == kCmdUnlink ? kRetUnlink : kRetSubmit;
            break;
        }
    }
    return true;
}

UsbIpRequestTracker::Match UsbIpRequestTracker::OnReply(const UsbIpHeader& reply) {
    Match match;
    // Every slot is searched: a reply may belong to any of the 512.
    for (Slot& slot : m_pending) {
        if (slot.used && slot.header.seqnum == reply.seqnum) {
            match.found = true;
            match.endpoint = slot.header.EndpointAddress();
            slot.used = false;
            break;
        }
    }
    if (reply.seqnum != 0) {
        for (uint32_t& seq : m_outSeq) {
            if (seq == reply.seqnum) {
                seq = 0;
                match.hasBody = false;
                break;
            }
        }
    }
    return match;
}

std::vector<UsbIpHeader> UsbIpRequestTracker::CompleteAll() {
    std::vector<UsbIpHeader> replies;
    for (Slot& slot : m_pending) {
        if (!slot.used) {
            continue;
        }
        UsbIpHeader r;
        r.command = slot.header.command;
        r.seqnum = slot.header.seqnum;
        r.devid = slot.header.devid;
        r.direction = slot.header.direction;
        r.ep = 0;
        r.status = kStatusShutdown;
        replies.push_back(r);
        slot.used = false;
    }
    m_outSeq.fill(0);
    return replies;
}

size_t UsbIpRequestTracker::PendingCount() const {
    size_t n = 0;
    for (const Slot& slot : m_pending) {
        n += slot.used;
    }
    return n;
}

}  // namespace usbip
