#include "usbshare/UsbIpRequestTracker.h"

#include <gtest/gtest.h>

using usbip::UsbIpHeader;
using usbip::UsbIpRequestTracker;

namespace {

UsbIpHeader Submit(uint32_t seq, uint32_t ep, bool in, uint32_t length = 8) {
    UsbIpHeader h;
    h.command = usbip::kCmdSubmit;
    h.seqnum = seq;
    h.devid = 0x10002;
    h.direction = in ? 1 : 0;
    h.ep = ep;
    h.transferLength = length;
    return h;
}

UsbIpHeader Reply(uint32_t seq) {
    UsbIpHeader h;
    h.command = usbip::kRetSubmit;
    h.seqnum = seq;
    return h;
}

}  // namespace

TEST(UsbIpRequestTrackerTest, RepliesFindTheirRequest) {
    UsbIpRequestTracker tracker;
    ASSERT_TRUE(tracker.OnRequest(Submit(1, 1, true)));
    ASSERT_TRUE(tracker.OnRequest(Submit(2, 2, false)));
    UsbIpHeader unlink;
    unlink.command = usbip::kCmdUnlink;
    unlink.seqnum = 3;
    ASSERT_TRUE(tracker.OnRequest(unlink));
    struct Row {
        uint32_t seq;
        bool found;
        uint8_t endpoint;
        bool hasBody;
    };
    const Row rows[] = {
        {2, true, 0x02, false},                           // OUT: the reply carries no data
        {1, true, 0x81, true},                            // IN
        {3, true, 0x00, true},   {1, false, 0x00, true},  // already answered
        {99, false, 0x00, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seq);
        const auto m = tracker.OnReply(Reply(row.seq));
        EXPECT_EQ(m.found, row.found);
        EXPECT_EQ(m.endpoint, row.endpoint);
        EXPECT_EQ(m.hasBody, row.hasBody);
    }
    EXPECT_EQ(tracker.PendingCount(), 0u);
}

TEST(UsbIpRequestTrackerTest, AllFiveHundredTwelveSlotsAreSearched) {
    UsbIpRequestTracker tracker;
    for (uint32_t seq = 1; seq <= 512; ++seq) {
        ASSERT_TRUE(tracker.OnRequest(Submit(seq, 1, true)));
    }
    // The last slots are found as well as the first.
    for (uint32_t seq : {512u, 300u, 257u, 1u}) {
        SCOPED_TRACE(seq);
        EXPECT_TRUE(tracker.OnReply(Reply(seq)).found);
    }
    EXPECT_EQ(tracker.PendingCount(), 508u);
}

TEST(UsbIpRequestTrackerTest, OutTableIsBounded) {
    UsbIpRequestTracker tracker;
    for (uint32_t seq = 1; seq <= 256; ++seq) {
        ASSERT_TRUE(tracker.OnRequest(Submit(seq, 2, false)));
    }
    EXPECT_FALSE(tracker.OnRequest(Submit(257, 2, false)));
    EXPECT_TRUE(tracker.OnRequest(Submit(258, 1, true)));  // IN needs no OUT slot
    tracker.OnReply(Reply(5));
    EXPECT_TRUE(tracker.OnRequest(Submit(259, 2, false)));
}

TEST(UsbIpRequestTrackerTest, CompleteAllAnswersEveryPendingRequestWithShutdown) {
    UsbIpRequestTracker tracker;
    tracker.OnRequest(Submit(7, 1, true));
    UsbIpHeader unlink;
    unlink.command = usbip::kCmdUnlink;
    unlink.seqnum = 8;
    unlink.devid = 0x10002;
    tracker.OnRequest(unlink);
    const auto replies = tracker.CompleteAll();
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].command, 1485111299u);
    EXPECT_EQ(replies[0].seqnum, 7u);
    EXPECT_EQ(replies[0].devid, 0x10002u);
    EXPECT_EQ(replies[0].direction, 1u);
    EXPECT_EQ(replies[0].ep, 0u);
    EXPECT_EQ(replies[0].status, -108);
    EXPECT_EQ(replies[1].command, 1485111300u);
    EXPECT_EQ(tracker.PendingCount(), 0u);
    EXPECT_TRUE(tracker.CompleteAll().empty());
}
