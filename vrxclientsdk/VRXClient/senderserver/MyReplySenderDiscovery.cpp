#include "vrxclientsdk/VRXClient/senderserver/MyReplySenderDiscovery.h"

#include <arpa/inet.h>

#include "vrxclientsdk/VRXClient/senderserver/SenderServer.h"

ByteString MyReplySenderDiscovery::BuildReply(const AnnounceType& record) {
    AnnounceType copy = record;
    const int status = m_owner.GetStatus();
    copy.clientState = static_cast<uint8_t>(status & 0xFF);
    if (status == kVrxProjecting) {
        // The record holds host order; the facade keeps network order.
        copy.receiverAddress = ntohl(m_owner.GetPeerAddress());
    }
    return ReplySenderDiscovery::BuildReply(copy);
}
