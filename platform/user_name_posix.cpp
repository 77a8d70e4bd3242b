#include "platform/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/wide_text.h"

namespace platform {

std::string UserName() {
    std::string name;
    if (const char* user = std::getenv("USER"); user && user[0] != '\0') {
        name = user;
    } else {
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* found = nullptr;
        if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
            found->pw_name) {
            name = found->pw_name;
        }
    }
    return TruncateUtf8(name, kMaxUserNameBytes);
}

}  // namespace platform
