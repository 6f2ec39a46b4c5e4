// The program's own texts, stored as Windows-1252 bytes and converted for the console when
// written. A \x escape swallows every hex digit after it, hence the split literals.
#pragma once

#include <string_view>

namespace texts {

inline constexpr std::string_view kDefaultLogFileName = "kelVOR.txt";
inline constexpr std::string_view kFailureMessage =
    "kelVOR: Erreur dans la cr\xE9" "ation du fichier de sortie";

}  // namespace texts
