#include "vrxclientsdk/VRXClient/ReplySenderDiscovery.h"

#include <cstring>

ReplySenderDiscovery::AnnounceType::AnnounceType() {
    commandPort = 16121;
    imagePort = 16120;
    thirdPort = 16122;
    std::memset(senderName, 0, sizeof senderName);
    std::memcpy(senderName, "Quorvane Sender", 15);
    std::memset(maker, 0, sizeof maker);
    std::memcpy(maker, "KIRSO", 5);
    std::memset(platform, 0, sizeof platform);
    std::memcpy(platform, "Unknown Platform", 16);
    version[0] = 1;
    version[1] = 45;
    noLoginCode = 0;
    clientState = 0;
    reserved2 = 0;
    std::memset(reserved3, 0, sizeof reserved3);
}
