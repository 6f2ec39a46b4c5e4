// The program's own texts, stored as Windows-1252 bytes and converted for the console when
// written. A \x escape swallows every hex digit after it, hence the split literals.
#pragma once

#include <string_view>

namespace texts {

inline constexpr std::string_view kDefaultLogFileName = "kelVOR.txt";
inline constexpr std::string_view kFailureMessage =
    "kelVOR: Erreur dans la cr\xE9"
    "ation du fichier de sortie";

// The help screen. Its first line, the banner, is put together when written: the program's
// name upper-cased, the version and the notice, separated by blanks.
inline constexpr std::string_view kProgramName = "kelVOR";
inline constexpr std::string_view kVersion = "v1.1";
inline constexpr std::string_view kNotice = "- logiciel libre, fourni tel quel";
// The lines under the banner, one source line each; an empty entry is a line of one blank.
// clang-format off
inline constexpr std::string_view kHelpLines[] = {
    "Cr\xE9" "e un fichier (log) ANSI de la sortie standard",
    "",
    "Syntaxe    : cmd [params] | kelvor [/S] [filename]",
    "",
    "  cmd      : commande \xE0 ex\xE9" "cuter",
    "  params   : param\xE8tres classiques de la commande",
    "  /S       : ignore l'affichage \xE9" "cran (= redirection ANSI)",
    "  filename : nom du fichier \xE0 cr\xE9" "er (d\xE9" "faut : kelVOR.txt)",
    "",
    "  Exemples : dir | kelvor",
    "             xcopy *.* x:\\backup\\ | kelvor \"backup log.txt\"",
};
// clang-format on

}  // namespace texts
