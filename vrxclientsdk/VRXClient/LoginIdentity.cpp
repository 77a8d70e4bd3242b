#include "vrxclientsdk/VRXClient/LoginIdentity.h"

#include <cstring>

#include "vrxclientsdk/VRPClient/CmdCodes.h"

std::string LoginIdentity::SetProductId(const char* productId) {
    std::string id(cmd::kProductIdField, '\0');
    if (productId) {
        const size_t length = strnlen(productId, cmd::kProductIdField);
        std::memcpy(id.data(), productId, length);
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_productId = id;
    }
    return id.substr(0, id.find('\0'));
}

std::string LoginIdentity::ProductId() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_productId;
}
