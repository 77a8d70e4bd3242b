// The pseudo-locale of the tests: every English text "translated" into a
// visibly different but still readable form, so a test can tell a text that
// went through the catalogs from one that did not.
//
// The result is the text with its ASCII vowels accented (UTF-8) and wrapped
// in "⟦" and "⟧". printf conversions ("%s", "%d", "%dx%d", "%%") and line
// breaks are kept as they are, so formatting a pseudo text works like
// formatting the English one. Stateless; runs anywhere.
#pragma once

#include <string>
#include <string_view>

namespace appres {

// The locale name under which the pseudo catalog is installed.
inline constexpr const char kPseudoLocale[] = "qps_PLOC";

std::string PseudoTranslate(std::string_view english);

}  // namespace appres
