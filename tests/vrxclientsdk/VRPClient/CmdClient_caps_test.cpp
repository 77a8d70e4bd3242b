// Capability predicates and capability blocks: the receiver's protocol
// version and capability bytes come from the simulated receiver's answers.
#include <gtest/gtest.h>

#include <map>

#include "tests/vrxclientsdk/VRPClient/CmdClientFixture.h"

namespace {

using cmdtest::Bytes;
using cmdtest::CmdClientTest;
using receiver_sim::CapabilityBlock;
using receiver_sim::Reply;

using Predicate = bool (CmdClient::*)();

const std::map<std::string, Predicate>& Predicates() {
    static const std::map<std::string, Predicate> table = {
        {"IsProtocolAbove0110", &CmdClient::IsProtocolAbove0110},
        {"IsProtocolAbove0111", &CmdClient::IsProtocolAbove0111},
        {"IsProtocolAbove0112", &CmdClient::IsProtocolAbove0112},
        {"HasFbfBit01", &CmdClient::HasFbfBit01},
        {"HasFbfBit02", &CmdClient::HasFbfBit02},
        {"HasFbfBit04", &CmdClient::HasFbfBit04},
        {"HasFbfBit08", &CmdClient::HasFbfBit08},
        {"HasFbfBit10", &CmdClient::HasFbfBit10},
        {"HasFbfBit20", &CmdClient::HasFbfBit20},
        {"HasFbfBit40", &CmdClient::HasFbfBit40},
        {"HasFbfBit80", &CmdClient::HasFbfBit80},
        {"HasFbf2Bit04", &CmdClient::HasFbf2Bit04},
        {"HasFbf2Bit08", &CmdClient::HasFbf2Bit08},
        {"IsProtocolAbove0118", &CmdClient::IsProtocolAbove0118},
        {"HasFbfBit08NoFbf2Bit02", &CmdClient::HasFbfBit08NoFbf2Bit02},
        {"IsProtocolAbove0119", &CmdClient::IsProtocolAbove0119},
        {"IsProtocolAbove011A", &CmdClient::IsProtocolAbove011A},
        {"IsProtocolAbove011B", &CmdClient::IsProtocolAbove011B},
        {"IsProtocolAbove011C", &CmdClient::IsProtocolAbove011C},
        {"IsProtocolAbove011D", &CmdClient::IsProtocolAbove011D},
        {"IsProtocolAbove011E", &CmdClient::IsProtocolAbove011E},
        {"IsProtocolAbove011F", &CmdClient::IsProtocolAbove011F},
        {"IsProtocolAbove0120", &CmdClient::IsProtocolAbove0120},
        {"IsProtocolAbove0121", &CmdClient::IsProtocolAbove0121},
        {"IsProtocolAbove0122", &CmdClient::IsProtocolAbove0122},
        {"HasFbf2Bit10", &CmdClient::HasFbf2Bit10},
        {"IsProtocolAbove0123", &CmdClient::IsProtocolAbove0123},
        {"IsProtocolAbove0124", &CmdClient::IsProtocolAbove0124},
        {"HasFbf2Bit20", &CmdClient::HasFbf2Bit20},
        {"HasFbf2Bit40", &CmdClient::HasFbf2Bit40},
        {"HasFbf2Bit80", &CmdClient::HasFbf2Bit80},
        {"IsProtocolAbove0125", &CmdClient::IsProtocolAbove0125},
        {"IsProtocolAbove0126", &CmdClient::IsProtocolAbove0126},
        {"IsProtocolAbove0129", &CmdClient::IsProtocolAbove0129},
        {"IsProtocolAbove0127", &CmdClient::IsProtocolAbove0127},
        {"HasFbf3Bit01", &CmdClient::HasFbf3Bit01},
        {"IsProtocolAbove012A", &CmdClient::IsProtocolAbove012A},
        {"IsProtocolAbove012C", &CmdClient::IsProtocolAbove012C},
    };
    return table;
}

class CmdClientCapsTest : public CmdClientTest {
protected:
    // Makes the receiver report `version` and the capability bytes, and has
    // the client read both.
    void Report(uint16_t version, uint8_t fbf, uint8_t fbf2, uint8_t fbf3) {
        receiver_sim::ReceiverAnnouncement record;
        record.protocolVersion = version;
        const auto bytes = record.Encode();
        sim->QueueReply(0x90, Reply::Answer(Bytes(bytes.begin(), bytes.end())));
        CapabilityBlock caps;
        caps.fbf = fbf;
        caps.fbf2 = fbf2;
        caps.fbf3 = fbf3;
        sim->QueueReply(0x80, Reply::Answer(caps.Encode()));
        DevAnnounce r;
        ASSERT_EQ(client->ConnectToDeviceThruIP(&r), 0);
        ASSERT_EQ(client->GetDeviceCap(nullptr), 0);
        ASSERT_EQ(client->GetDeviceProtocolVersion(), version);
    }
    bool Ask(const std::string& name) { return (client.get()->*Predicates().at(name))(); }
};

TEST_F(CmdClientCapsTest, NothingHoldsBeforeTheReceiverHasSaidItsVersion) {
    Connect();
    Report(0, 0xFF, 0xFF, 0xFF);
    for (const auto& [name, predicate] : Predicates()) {
        SCOPED_TRACE(name);
        EXPECT_FALSE((client.get()->*predicate)());
    }
}

TEST_F(CmdClientCapsTest, VersionThresholds) {
    Connect();
    const std::map<std::string, uint16_t> firstTrue = {
        {"IsProtocolAbove0110", 0x111}, {"IsProtocolAbove0111", 0x112},
        {"IsProtocolAbove0112", 0x113}, {"IsProtocolAbove0118", 0x119},
        {"IsProtocolAbove0119", 0x11a}, {"IsProtocolAbove011A", 0x11b},
        {"IsProtocolAbove011B", 0x11c}, {"IsProtocolAbove011C", 0x11d},
        {"IsProtocolAbove011D", 0x11e}, {"IsProtocolAbove011E", 0x11f},
        {"IsProtocolAbove011F", 0x120}, {"IsProtocolAbove0120", 0x121},
        {"IsProtocolAbove0121", 0x122}, {"IsProtocolAbove0122", 0x123},
        {"IsProtocolAbove0123", 0x124}, {"IsProtocolAbove0124", 0x125},
        {"IsProtocolAbove0125", 0x126}, {"IsProtocolAbove0126", 0x127},
        {"IsProtocolAbove0127", 0x128}, {"IsProtocolAbove0129", 0x12a},
        {"IsProtocolAbove012A", 0x12b}, {"IsProtocolAbove012C", 0x12d},
    };
    for (const auto& [name, version] : firstTrue) {
        SCOPED_TRACE(name);
        Report(static_cast<uint16_t>(version - 1), 0, 0, 0);
        EXPECT_FALSE(Ask(name));
        Report(version, 0, 0, 0);
        EXPECT_TRUE(Ask(name));
    }
}

TEST_F(CmdClientCapsTest, CapabilityBitPredicates) {
    Connect();
    struct Row {
        uint16_t version;
        uint8_t fbf, fbf2, fbf3;
        const char* predicate;
        bool expected;
    };
    const Row rows[] = {
        {0x115, 0, 0, 0, "HasFbfBit01", true},
        {0x115, 0, 0, 0, "HasFbfBit02", true},
        {0x115, 0, 0, 0, "HasFbfBit04", false},
        {0x116, 0, 0, 0, "HasFbfBit01", true},
        {0x116, 0, 0, 0, "HasFbfBit02", true},
        {0x116, 0, 0, 0, "HasFbfBit04", true},
        {0x117, 0, 0, 0, "HasFbfBit01", false},
        {0x117, 0, 0, 0, "HasFbfBit02", false},
        {0x117, 0, 0, 0, "HasFbfBit04", false},
        {0x116, 0xFF, 0xFF, 0xFF, "HasFbfBit08", false},
        {0x117, 0x01, 0, 0, "HasFbfBit01", true},
        {0x117, 0x02, 0, 0, "HasFbfBit02", true},
        {0x117, 0x04, 0, 0, "HasFbfBit04", true},
        {0x117, 0x08, 0, 0, "HasFbfBit08", true},
        {0x117, 0x10, 0, 0, "HasFbfBit10", true},
        {0x117, 0x20, 0, 0, "HasFbfBit20", true},
        {0x117, 0x40, 0, 0, "HasFbfBit40", true},
        {0x117, 0x80, 0, 0, "HasFbfBit80", true},
        {0x117, 0x7F, 0, 0, "HasFbfBit80", false},
        {0x117, 0, 0x04, 0, "HasFbf2Bit04", true},
        {0x117, 0, 0x08, 0, "HasFbf2Bit08", true},
        {0x117, 0, 0x10, 0, "HasFbf2Bit10", true},
        {0x117, 0, 0x20, 0, "HasFbf2Bit20", true},
        {0x117, 0, 0x40, 0, "HasFbf2Bit40", true},
        {0x117, 0, 0x80, 0, "HasFbf2Bit80", true},
        {0x117, 0xFF, 0x7F, 0, "HasFbf2Bit80", false},
        {0x118, 0x08, 0x02, 0, "HasFbfBit08NoFbf2Bit02", true},
        {0x119, 0x08, 0x02, 0, "HasFbfBit08NoFbf2Bit02", false},
        {0x119, 0x08, 0x00, 0, "HasFbfBit08NoFbf2Bit02", true},
        {0x129, 0, 0, 0x01, "HasFbf3Bit01", false},
        {0x12a, 0, 0, 0x01, "HasFbf3Bit01", true},
        {0x12a, 0xFF, 0xFF, 0xFE, "HasFbf3Bit01", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.predicate) + " v=" + std::to_string(row.version));
        Report(row.version, row.fbf, row.fbf2, row.fbf3);
        EXPECT_EQ(Ask(row.predicate), row.expected);
    }
}

TEST_F(CmdClientCapsTest, PreBufferTimeIsScaledByVersion) {
    Connect();
    struct Row {
        uint16_t version;
        uint16_t time;
        uint16_t raw, scaled;
    };
    const Row rows[] = {
        {0x11a, 1000, 0, 0},  // too old to report it
        {0x11b, 1000, 1000, 100}, {0x120, 1000, 1000, 100},
        {0x121, 1000, 1000, 14},  {0x130, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version);
        Report(row.version, 0, 0, 0);
        ASSERT_EQ(client->SetPreBufTime(row.time, true, false), 1);
        EXPECT_EQ(client->GetPreBufTime(), row.raw);
        EXPECT_EQ(client->GetPreBufTimeScaled(), row.scaled);
    }
}

TEST_F(CmdClientCapsTest, ANewConnectionForgetsTheLastReceiversCapabilities) {
    Connect();
    Report(0x130, 0xFF, 0xFF, 0xFF);
    EXPECT_TRUE(Ask("HasFbfBit80"));
    ASSERT_EQ(client->OpenConnect("127.0.0.1", {sim->Port()}, 5), 0);
    EXPECT_EQ(client->GetDeviceProtocolVersion(), 0);
    DevAnnounce r;
    ASSERT_EQ(client->ConnectToDeviceThruIP(&r), 0);  // version 0x130, no GetDeviceCap yet
    EXPECT_TRUE(Ask("IsProtocolAbove0129"));
    EXPECT_FALSE(Ask("HasFbfBit80"));
    EXPECT_FALSE(Ask("HasFbf2Bit80"));
    EXPECT_FALSE(Ask("HasFbf3Bit01"));
}

TEST_F(CmdClientCapsTest, CapabilityBlocksOfEverySizeAreReadWhole) {
    Connect();
    struct Row {
        const char* name;
        size_t codings, entries;
    };
    const Row rows[] = {
        {"empty lists", 0, 0},
        {"small lists", 3, 2},
        {"largest lists", 255, 255},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CapabilityBlock caps;
        caps.width = 800;
        caps.height = 600;
        caps.bpp = 16;
        caps.imageWidth = 1024;
        caps.imageHeight = 768;
        caps.iabpp = 24;
        caps.fbf = 0x11;
        caps.abpp = 15;
        caps.byte15 = 2;
        caps.fbf2 = 0x22;
        caps.fps = 25;
        caps.fbf3 = 0x33;
        caps.maxVolume = 90;
        caps.currentVolume = 45;
        caps.codings.assign(row.codings, 0);
        for (size_t i = 0; i < row.codings; ++i) {
            caps.codings[i] = static_cast<uint8_t>(i + 1);
        }
        caps.groupByte = 0x5A;
        caps.entries.resize(row.entries);
        for (size_t i = 0; i < row.entries; ++i) {
            caps.entries[i].fill(static_cast<uint8_t>(i));
        }
        caps.trailer.fill(0xEE);
        caps.trailer[255] = 0x01;
        sim->QueueReply(0x80, Reply::Answer(caps.Encode()));

        DeviceCapRecord r;
        ASSERT_EQ(client->GetDeviceCap(&r), 0);
        EXPECT_EQ(r.w, 800);
        EXPECT_EQ(r.h, 600);
        EXPECT_EQ(r.bpp, 16);
        EXPECT_EQ(r.ColourFormat()[0], 'R');
        EXPECT_EQ(r.iw, 1024);
        EXPECT_EQ(r.ih, 768);
        EXPECT_EQ(r.iabpp, 24);
        EXPECT_EQ(r.fbf, 0x11);
        EXPECT_EQ(r.abpp, 15);
        EXPECT_EQ(r.byte15, 2);
        EXPECT_EQ(r.fbf2, 0x22);
        EXPECT_EQ(r.fps, 25);
        EXPECT_EQ(r.fbf3, 0x33);
        EXPECT_EQ(r.max_vol, 90);
        EXPECT_EQ(r.cur_vol, 45);
        EXPECT_EQ(r.codings, caps.codings);
        EXPECT_EQ(r.groupByte, 0x5A);
        ASSERT_EQ(r.entries.size(), row.entries);
        if (row.entries > 0) {
            EXPECT_EQ(r.entries.back()[19], static_cast<uint8_t>(row.entries - 1));
        }
        EXPECT_EQ(r.trailer[0], 0xEE);
        EXPECT_EQ(r.trailer[255], 0x01);

        // The next frame is read from the right place.
        uint8_t status[2] = {};
        sim->QueueReply(0x82, Reply::Answer({0xAB, 0xCD}));
        ASSERT_EQ(client->GetDeviceStatus(status), 0);
        EXPECT_EQ(status[0], 0xAB);
        EXPECT_EQ(status[1], 0xCD);
    }
}

}  // namespace
