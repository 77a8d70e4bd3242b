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

namespace {

UsbIpHeader Unlink(uint32_t seq, uint32_t victim) {
    UsbIpHeader h;
    h.command = usbip::kCmdUnlink;
    h.seqnum = seq;
    h.devid = 0x10002;
    h.status = static_cast<int32_t>(victim);
    return h;
}

}  // namespace

TEST(UsbIpRequestTrackerTest, UnlinkReplyFreesTheUnlinkedRequest) {
    // The receiver answers the unlink and never the request it unlinked;
    // thousands of such pairs leave nothing behind.
    UsbIpRequestTracker tracker;
    uint32_t seq = 1;
    for (int i = 0; i < 3000; ++i) {
        SCOPED_TRACE(i);
        const bool in = i % 2 == 0;
        const uint32_t victim = seq++;
        const uint32_t unlink = seq++;
        ASSERT_TRUE(tracker.OnRequest(Submit(victim, in ? 1 : 2, in)));
        ASSERT_TRUE(tracker.OnRequest(Unlink(unlink, victim)));
        const auto m = tracker.OnReply(Reply(unlink));
        ASSERT_TRUE(m.found);
        ASSERT_EQ(tracker.PendingCount(), 0u);
        ASSERT_EQ(tracker.OutCount(), 0u);
    }
    // A late reply to an unlinked request matches nothing.
    EXPECT_FALSE(tracker.OnReply(Reply(1)).found);
    EXPECT_TRUE(tracker.CompleteAll().empty());
}

TEST(UsbIpRequestTrackerTest, UnlinkOfAnAnsweredRequestLeavesTheOthers) {
    UsbIpRequestTracker tracker;
    ASSERT_TRUE(tracker.OnRequest(Submit(1, 1, true)));
    ASSERT_TRUE(tracker.OnRequest(Submit(2, 2, false)));
    ASSERT_TRUE(tracker.OnRequest(Unlink(3, 1)));
    EXPECT_TRUE(tracker.OnReply(Reply(1)).found);  // answered before the unlink took
    EXPECT_TRUE(tracker.OnReply(Reply(3)).found);
    const auto out = tracker.OnReply(Reply(2));
    EXPECT_TRUE(out.found);
    EXPECT_FALSE(out.hasBody);
    EXPECT_EQ(tracker.PendingCount(), 0u);
}

TEST(UsbIpRequestTrackerTest, RequestsBeyondTheTableAreRefused) {
    UsbIpRequestTracker tracker;
    for (uint32_t seq = 1; seq <= 512; ++seq) {
        ASSERT_TRUE(tracker.OnRequest(Submit(seq, 1, seq % 2 == 0)));
    }
    const size_t outs = tracker.OutCount();
    struct Row {
        const char* name;
        UsbIpHeader request;
    };
    const Row rows[] = {
        {"IN", Submit(600, 1, true)}, {"OUT", Submit(601, 2, false)}, {"unlink", Unlink(602, 5)}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(tracker.OnRequest(row.request));
        EXPECT_EQ(tracker.PendingCount(), 512u);
        EXPECT_EQ(tracker.OutCount(), outs);  // nothing half recorded
    }
    tracker.OnReply(Reply(7));
    EXPECT_TRUE(tracker.OnRequest(Submit(603, 1, true)));
}
