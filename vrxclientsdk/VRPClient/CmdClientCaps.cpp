// CmdClient: the capability predicates.
//
// Each tells whether a request, an option or a payload form may be used with
// the connected receiver, from its protocol version (0 until it answered
// ConnectToDeviceThruIP, so every predicate is false before) and the three
// capability bytes of its GetDeviceCap answer.
#include "vrxclientsdk/VRPClient/CmdClient.h"

namespace {

// The first version that reports its features in the capability bytes.
constexpr uint16_t kCapabilityBytesVersion = 0x117;

}  // namespace

#define CMD_VERSION_AT_LEAST(name, version)         \
    bool CmdClient::name() {                        \
        return m_DeviceVersion.load() >= (version); \
    }

#define CMD_FBF_BIT(name, field, bit)                                                         \
    bool CmdClient::name() {                                                                  \
        return m_DeviceVersion.load() >= kCapabilityBytesVersion && ((field).load() & (bit)); \
    }

CMD_VERSION_AT_LEAST(IsProtocolAbove0110, 0x111)
CMD_VERSION_AT_LEAST(IsProtocolAbove0111, 0x112)
CMD_VERSION_AT_LEAST(IsProtocolAbove0112, 0x113)
CMD_VERSION_AT_LEAST(IsProtocolAbove0118, 0x119)
CMD_VERSION_AT_LEAST(IsProtocolAbove0119, 0x11a)
CMD_VERSION_AT_LEAST(IsProtocolAbove011A, 0x11b)
CMD_VERSION_AT_LEAST(IsProtocolAbove011B, 0x11c)
CMD_VERSION_AT_LEAST(IsProtocolAbove011C, 0x11d)
CMD_VERSION_AT_LEAST(IsProtocolAbove011D, 0x11e)
CMD_VERSION_AT_LEAST(IsProtocolAbove011E, 0x11f)
CMD_VERSION_AT_LEAST(IsProtocolAbove011F, 0x120)
CMD_VERSION_AT_LEAST(IsProtocolAbove0120, 0x121)
CMD_VERSION_AT_LEAST(IsProtocolAbove0121, 0x122)
CMD_VERSION_AT_LEAST(IsProtocolAbove0122, 0x123)
CMD_VERSION_AT_LEAST(IsProtocolAbove0123, 0x124)
CMD_VERSION_AT_LEAST(IsProtocolAbove0124, 0x125)
CMD_VERSION_AT_LEAST(IsProtocolAbove0125, 0x126)
CMD_VERSION_AT_LEAST(IsProtocolAbove0126, 0x127)
CMD_VERSION_AT_LEAST(IsProtocolAbove0127, 0x128)
CMD_VERSION_AT_LEAST(IsProtocolAbove0129, 0x12a)
CMD_VERSION_AT_LEAST(IsProtocolAbove012A, 0x12b)
CMD_VERSION_AT_LEAST(IsProtocolAbove012C, 0x12d)

CMD_FBF_BIT(HasFbfBit08, m_Fbf, 0x08)
CMD_FBF_BIT(HasFbfBit10, m_Fbf, 0x10)
CMD_FBF_BIT(HasFbfBit20, m_Fbf, 0x20)
CMD_FBF_BIT(HasFbfBit40, m_Fbf, 0x40)
CMD_FBF_BIT(HasFbfBit80, m_Fbf, 0x80)
CMD_FBF_BIT(HasFbf2Bit04, m_Fbf2, 0x04)
CMD_FBF_BIT(HasFbf2Bit08, m_Fbf2, 0x08)
CMD_FBF_BIT(HasFbf2Bit10, m_Fbf2, 0x10)
CMD_FBF_BIT(HasFbf2Bit20, m_Fbf2, 0x20)
CMD_FBF_BIT(HasFbf2Bit40, m_Fbf2, 0x40)
CMD_FBF_BIT(HasFbf2Bit80, m_Fbf2, 0x80)

#undef CMD_VERSION_AT_LEAST
#undef CMD_FBF_BIT

// Versions 0x115 and 0x116 had the first features without reporting them.
bool CmdClient::HasFbfBit01() {
    const uint16_t v = m_DeviceVersion.load();
    return v == 0x115 || v == 0x116 || (v >= kCapabilityBytesVersion && (m_Fbf.load() & 0x01));
}

bool CmdClient::HasFbfBit02() {
    const uint16_t v = m_DeviceVersion.load();
    return v == 0x115 || v == 0x116 || (v >= kCapabilityBytesVersion && (m_Fbf.load() & 0x02));
}

bool CmdClient::HasFbfBit04() {
    const uint16_t v = m_DeviceVersion.load();
    return v == 0x116 || (v >= kCapabilityBytesVersion && (m_Fbf.load() & 0x04));
}

bool CmdClient::HasFbfBit08NoFbf2Bit02() {
    if (m_DeviceVersion.load() < 0x119) {
        return HasFbfBit08();
    }
    return HasFbfBit08() && !(m_Fbf2.load() & 0x02);
}

bool CmdClient::HasFbf3Bit01() {
    return IsProtocolAbove0129() && (m_Fbf3.load() & 0x01);
}

uint16_t CmdClient::GetPreBufTimeScaled() {
    const uint16_t t = GetPreBufTime();
    if (t == 0) {
        return 0;
    }
    return static_cast<uint16_t>(t / (IsProtocolAbove0120() ? 70 : 10));
}
