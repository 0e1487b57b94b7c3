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
// Why the file system refused to remove a copy or to link it (zwf says so after the copy's name).
inline constexpr std::string_view kDiskFull = "der Datenträger ist voll";
inline constexpr std::string_view kReadOnlyFileSystem = "das Dateisystem ist schreibgeschützt";
inline constexpr std::string_view kNoPermission = "keine Berechtigung";
inline constexpr std::string_view kNotPermitted = "der Vorgang ist nicht erlaubt";
inline constexpr std::string_view kLinkNotPermitted =
    "der Vorgang ist nicht erlaubt, oder dieses Dateisystem kennt keine harten Verknüpfungen";
inline constexpr std::string_view kProtectedHardLink =
    "die behaltene Kopie gehört einem anderen Benutzer, und das System erlaubt keine harte Verknüpfung mit "
    "ihr (fs.protected_hardlinks)";
inline constexpr std::string_view kOtherFileSystem = "liegt auf einem anderen Dateisystem als die behaltene Kopie";
inline constexpr std::string_view kNoHardLinks = "dieses Dateisystem kennt keine harten Verknüpfungen";
inline constexpr std::string_view kTooManyNames =
    "die behaltene Kopie hat schon so viele Namen, wie das Dateisystem erlaubt";
inline constexpr std::string_view kInUse = "die Datei ist belegt oder von einem anderen Programm gesperrt";
inline constexpr std::string_view kIoError = "Ein-/Ausgabefehler";
inline constexpr std::string_view kRefused = "das Dateisystem verweigert es";
inline constexpr std::string_view kCreditsCaption = "Credits";
inline constexpr std::string_view kCreditsText =
    ".-´¯`- Zwillingsfeger -´¯`-.\n"
    "\n"
    "`-._.-     by Quarzfuchs    -._.-´";

}  // namespace zwf::texts
