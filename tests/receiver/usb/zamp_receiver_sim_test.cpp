// The simulated receiver's USB side checked with hand-made bytes, apart from
// the sender's code: it answers scripted requests and rejects what breaks the
// wire format.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/receiver/usb/ZampReceiverSim.h"

using receiver_sim::ZampReceiverSim;
namespace wire = receiver_sim::zampwire;

namespace {

int ConnectTo(const ZampReceiverSim& sim) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(sim.Port());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::vector<uint8_t> ReadExactly(int fd, size_t n) {
    std::vector<uint8_t> out(n);
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::recv(fd, out.data() + got, n - got, 0);
        if (r <= 0) {
            out.resize(got);
            break;
        }
        got += static_cast<size_t>(r);
    }
    return out;
}

}  // namespace

TEST(ZampReceiverSimTest, AnswersScriptedRequestsAndListsDevices) {
    ZampReceiverSim sim;
    ASSERT_TRUE(sim.Start());
    receiver_sim::SimUsbDevice d;
    d.busId = "1-9";
    sim.SetDevices({d});
    sim.Script(wire::kBindReq, {ZampReceiverSim::Action::kReply, 7, 0});
    const int fd = ConnectTo(sim);
    ASSERT_GE(fd, 0);

    const auto bind = wire::Header(wire::kBindReq, 0, 0);
    ASSERT_EQ(::send(fd, bind.data(), bind.size(), 0), 20);
    EXPECT_EQ(ReadExactly(fd, 20), wire::Header(wire::kBindRep, 7, 0));

    // 24 + record, interface count and one entry; the length field as each
    // kind of receiver writes it.
    const struct {
        wire::LengthReading reading;
        int length;
    } readings[] = {{wire::LengthReading::kLeavesOutLeadingWord, 320},
                    {wire::LengthReading::kCountsWholeBody, 324}};
    for (const auto& row : readings) {
        SCOPED_TRACE(row.length);
        sim.SetLengthReading(row.reading);
        const auto list = wire::Header(wire::kDevListReq, 0, 0);
        ASSERT_EQ(::send(fd, list.data(), list.size(), 0), 20);
        const auto reply = ReadExactly(fd, 24 + 312 + 4 + 4);
        ASSERT_EQ(reply.size(), 344u);
        EXPECT_EQ(reply[6], 0x05);
        EXPECT_EQ(reply[16] | (reply[17] << 8), row.length);
        EXPECT_EQ(reply[20], 1);  // one device
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&reply[24 + 256])), "1-9");
    }
    ::close(fd);
    EXPECT_TRUE(sim.WaitForCount(wire::kDevListReq, 2));
    EXPECT_TRUE(sim.ProtocolErrors().empty());
}

TEST(ZampReceiverSimTest, RejectsMessagesThatBreakTheTables) {
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    auto keepAliveValue2 = wire::Header(wire::kKeepAliveRep, 0, 1);
    keepAliveValue2.push_back(2);
    const Row rows[] = {
        {"bad magic", {'z', 'a', 'm', 'q', 6, 1, 0x50, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"bad version", wire::Header(wire::kBindReq, 0, 0, 0x0105)},
        {"request with a status", wire::Header(wire::kBindReq, 1, 0)},
        {"request with a body", wire::Header(wire::kInfoReq, 0, 4)},
        {"unknown code", wire::Header(0x1234, 0, 0)},
        {"keep-alive reply of value 2", keepAliveValue2},
    };
    ZampReceiverSim sim;
    ASSERT_TRUE(sim.Start());
    size_t errors = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const int fd = ConnectTo(sim);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::send(fd, row.bytes.data(), row.bytes.size(), 0),
                  static_cast<ssize_t>(row.bytes.size()));
        // The receiver ends the connection.
        EXPECT_TRUE(ReadExactly(fd, 1).empty());
        ::close(fd);
        EXPECT_EQ(sim.ProtocolErrors().size(), ++errors);
    }
}
