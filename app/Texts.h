#pragma once

#include <string_view>

// Every text the program shows, once, in UTF-8.
namespace zwf::texts {

inline constexpr std::string_view kWindowTitle = "Zwillingsfeger";
inline constexpr std::string_view kAddFolder = "Pfad hinzufügen";
inline constexpr std::string_view kAllFiles = "Alle Dateien";
inline constexpr std::string_view kReset = "Zurücksetzen";
inline constexpr std::string_view kSearch = "Doppelte Dateien suchen";
inline constexpr std::string_view kSameContent = "Dateien mit gleichem Inhalt";
inline constexpr std::string_view kDuplicates = "Doppelte Dateien:";
inline constexpr std::string_view kDeleteMarked = "Lösche markierte Datei";
inline constexpr std::string_view kDeleteAll = "Lösche alle Dateien (mit Original)";
inline constexpr std::string_view kFolderDialogTitle = "Pfad hinzufügen...";
inline constexpr std::string_view kNoMemoryToAdd = "Nicht genug Speicher: Der Ordner wurde nicht hinzugefügt.";
inline constexpr std::string_view kNoMemoryToSearch = "Nicht genug Speicher: Die Suche wurde abgebrochen.";
inline constexpr std::string_view kCreditsCaption = "Credits";
inline constexpr std::string_view kCreditsText =
    ".-´¯`- Zwillingsfeger -´¯`-.\n"
    "\n"
    "`-._.-     by Quarzfuchs    -._.-´";

}  // namespace zwf::texts
