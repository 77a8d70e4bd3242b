#include "app/res/pseudo_translation.h"

#include <cctype>

namespace appres {

namespace {

// The accented form of an ASCII vowel, or nullptr for any other character.
const char* Accented(char c) {
    switch (c) {
        case 'a':
            return "á";
        case 'e':
            return "é";
        case 'i':
            return "í";
        case 'o':
            return "ó";
        case 'u':
            return "ú";
        case 'A':
            return "Á";
        case 'E':
            return "É";
        case 'I':
            return "Í";
        case 'O':
            return "Ó";
        case 'U':
            return "Ú";
        default:
            return nullptr;
    }
}

}  // namespace

std::string PseudoTranslate(std::string_view english) {
    std::string out = "⟦";
    for (size_t i = 0; i < english.size(); ++i) {
        const char c = english[i];
        if (c == '%') {
            // Copy the conversion whole: flags, width and precision up to and
            // including its letter (or the second '%' of "%%").
            out.push_back(c);
            while (++i < english.size()) {
                out.push_back(english[i]);
                if (std::isalpha(static_cast<unsigned char>(english[i])) || english[i] == '%') {
                    break;
                }
            }
            continue;
        }
        if (const char* accented = Accented(c)) {
            out += accented;
        } else {
            out.push_back(c);
        }
    }
    out += "⟧";
    return out;
}

}  // namespace appres
