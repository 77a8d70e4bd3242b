#include "usbshare/UsbReportFilter.h"

#include <algorithm>

#include "usbshare/ZampLog.h"

namespace usbip {
namespace {

constexpr uint8_t kReportEndpoint = 0x81;
constexpr size_t kShortReport = 2;
constexpr size_t kLongReport = 29;
constexpr uint8_t kPattern0 = 0x08;
constexpr uint8_t kPattern1 = 0x80;

}  // namespace

bool UsbReportFilter::Filter(const UsbIpHeader& reply, uint8_t endpoint, std::span<uint8_t> body) {
    if (endpoint != kReportEndpoint) {
        return false;
    }
    WriteLog("SearchErrorPacket\n");
    bool flagged = reply.status != 0;
    if (body.size() == kShortReport) {
        if (!m_seenPattern) {
            if (body[0] == kPattern0 && body[1] == kPattern1) {
                m_seenPattern = true;
                return false;  // the first sight of the pattern is never flagged
            }
        } else if (body[0] != kPattern0 || body[1] != kPattern1) {
            flagged = true;
        }
    } else if (body.size() == kLongReport && m_seenPattern && body[0] == kPattern0 &&
               body[1] != kPattern1) {
        flagged = true;
    }
    if (!flagged) {
        return false;
    }
    if (body.size() == kShortReport) {
        WriteLog("!!!! Find specify packet, size(%zu) seq(%u) status(%d)!\n    %02X %02X\n",
                 body.size(), reply.seqnum, reply.status, body[0], body[1]);
        body[0] = kPattern0;
        body[1] = kPattern1;
    } else if (body.size() == kLongReport) {
        WriteLog("!!!! Find Error packet, size(%zu) seq(%u) status(%d)!\n", body.size(),
                 reply.seqnum, reply.status);
        std::fill(body.begin(), body.end(), 0);
    }
    WriteLog("Find error packet, size(%zu) seq(%u) status(%d)!.\n", body.size(), reply.seqnum,
             reply.status);
    return true;
}

}  // namespace usbip
