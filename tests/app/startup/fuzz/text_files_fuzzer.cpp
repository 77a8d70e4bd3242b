// Fuzz target for the text files that another process or the user can
// write: the command file and initialisation files. Any bytes must parse
// without a crash, the command file must read back what its writer makes of
// it, and an initialisation file must keep every byte it does not change.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/startup/command_file.h"
#include "platform/ini/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    pemuapp::CommandAction action;
    std::string reason;
    if (pemuapp::ParseCommandFile(text, &action, &reason)) {
        pemuapp::CommandAction again;
        if (!pemuapp::ParseCommandFile(pemuapp::FormatCommandFile(action), &again, &reason) ||
            !(again == action)) {
            std::abort();
        }
    }

    platform::IniDocument doc(text);
    if (doc.Text() != text) {
        std::abort();  // reading alone changed the file
    }
    for (const std::string& section : doc.Sections()) {
        doc.Entries(section);
    }
    const std::string before = doc.Text();
    if (doc.Set("Quorvane_Sender", "LogFile", " fuzz ")) {
        platform::IniDocument reread(doc.Text());
        if (reread.Get("Quorvane_Sender", "LogFile") != std::string(" fuzz ")) {
            std::abort();
        }
    } else if (doc.Text() != before) {
        std::abort();
    }
    return 0;
}
