#include "usbshare/UsbIpRequestTracker.h"

#include <algorithm>

namespace usbip {

bool UsbIpRequestTracker::OnRequest(const UsbIpHeader& request) {
    auto slot =
        std::find_if(m_pending.begin(), m_pending.end(), [](const Slot& s) { return !s.used; });
    if (slot == m_pending.end()) {
        return false;
    }
    if (request.IsOut() && request.command == kCmdSubmit) {
        auto out = std::find(m_outSeq.begin(), m_outSeq.end(), 0u);
        if (out == m_outSeq.end()) {
            return false;
        }
        *out = request.seqnum;
    }
    slot->used = true;
    slot->header = request;
    slot->header.command = request.command == kCmdUnlink ? kRetUnlink : kRetSubmit;
    slot->victim = request.command == kCmdUnlink ? request.UnlinkSeqnum() : 0;
    return true;
}

UsbIpRequestTracker::Slot* UsbIpRequestTracker::FindPending(uint32_t seqnum) {
    // Every slot is searched: a reply may belong to any of the 512.
    auto it = std::find_if(m_pending.begin(), m_pending.end(),
                           [&](const Slot& s) { return s.used && s.header.seqnum == seqnum; });
    return it == m_pending.end() ? nullptr : &*it;
}

bool UsbIpRequestTracker::Forget(uint32_t seqnum, bool* wasOut) {
    Slot* slot = FindPending(seqnum);
    if (slot) {
        slot->used = false;
    }
    *wasOut = false;
    if (seqnum != 0) {
        auto out = std::find(m_outSeq.begin(), m_outSeq.end(), seqnum);
        if (out != m_outSeq.end()) {
            *out = 0;
            *wasOut = true;
        }
    }
    return slot != nullptr;
}

UsbIpRequestTracker::Match UsbIpRequestTracker::OnReply(const UsbIpHeader& reply) {
    Match match;
    const Slot* slot = FindPending(reply.seqnum);
    if (slot) {
        match.found = true;
        match.endpoint = slot->header.EndpointAddress();
        if (slot->header.command == kRetUnlink && slot->victim != 0) {
            // The unlinked request gets no reply of its own, whether the
            // receiver cancelled it or had answered it already.
            bool victimWasOut = false;
            Forget(slot->victim, &victimWasOut);
        }
    }
    bool wasOut = false;
    Forget(reply.seqnum, &wasOut);
    match.hasBody = !wasOut;
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
    return static_cast<size_t>(
        std::count_if(m_pending.begin(), m_pending.end(), [](const Slot& s) { return s.used; }));
}

size_t UsbIpRequestTracker::OutCount() const {
    return static_cast<size_t>(m_outSeq.size() - std::count(m_outSeq.begin(), m_outSeq.end(), 0u));
}

}  // namespace usbip
