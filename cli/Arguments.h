#pragma once

#include <string>
#include <vector>

#include "app/KeepRule.h"
#include "catalogue/ScanFolder.h"

namespace zwf::cli {

enum class Format { Plain, Null, Summary, Json };

// How the groups are listed (Plain and Null).
struct ListOptions {
    bool showSize = false;   // each group's file size before it
    bool omitFirst = false;  // the first file of each group left out
};

// What zwf does to the copies: nothing, removes every copy but the ones the rule keeps, makes
// each such copy's name a second name (a hard link) of the first copy kept, lets each share
// the blocks of the first copy kept, or moves each into the desktop's trash.
enum class Action { None, Delete, Link, Dedupe, Trash };

struct Arguments {
    Format format = Format::Plain;
    ListOptions list;
    Action action = Action::None;
    KeepRule keep;
    bool dryRun = false;   // the action only planned and printed
    std::string fromList;  // --from: the file the groups are read from ("-": standard input), or ""
    ScanFilter filter;
    std::vector<std::string> folders;
    bool help = false;
    bool version = false;
    std::string error;  // set when the command line cannot be used
};

// zwf [OPTION]... [--] FOLDER...,   zwf -h|--help   and   zwf -V|--version
Arguments ParseArguments(const std::vector<std::string>& arguments);

// A size in bytes, or with K, M, G or T after it (powers of 1024); false when text is none.
bool ParseSize(std::string_view text, std::uint64_t& size);

// How zwf is called: printed first by --help, and after a usage error.
inline constexpr const char* kSynopsis =
    "Aufruf: zwf [-0 | -m | --summary | --json] [-S] [-f] [-s GRÖSSE] [--max-size GRÖSSE]\n"
    "            [--exclude MUSTER]... [-x] [-r] [--] ORDNER...\n"
    "        zwf --delete | --link | --dedupe | --trash [--keep REGEL] [-n] [FILTER]... [--] ORDNER...\n"
    "        zwf --delete | --link | --dedupe | --trash [--keep REGEL] [-n] --from DATEI\n"
    "        zwf -h | --help\n"
    "        zwf -V | --version\n";

// The rest of --help. Short options may be bundled (-Sf) and take their value attached (-s1K) or
// apart (-s 1K); long ones take it apart or after "=" (--min-size=1K).
inline constexpr const char* kUsage =
    "Findet Dateien mit gleichem Inhalt unterhalb der Ordner und gibt sie aus.\n"
    "Ändert Dateien nur mit --delete, --link, --dedupe oder --trash.\n"
    "\n"
    "  -0, --null             jeden Pfad mit einem NUL-Zeichen abschließen, jede Gruppe\n"
    "                         mit einem weiteren\n"
    "  -m, --summary          nur Anzahlen und freizugebende Bytes ausgeben\n"
    "      --json             Ergebnis als JSON ausgeben\n"
    "  -S, --size             vor jeder Gruppe die Größe ihrer Dateien ausgeben\n"
    "  -f, --omit-first       die erste Datei jeder Gruppe nicht ausgeben\n"
    "  -s, --min-size GRÖSSE  nur Dateien ab dieser Größe (Bytes, oder mit K, M, G, T:\n"
    "                         1024er)\n"
    "      --max-size GRÖSSE  nur Dateien bis zu dieser Größe\n"
    "      --exclude MUSTER   Dateien und Ordner auslassen, deren Name oder Pfad unterhalb\n"
    "                         des angegebenen Ordners auf MUSTER passt (*, ?, [...];\n"
    "                         mehrfach möglich); ein ausgelassener Ordner wird nicht\n"
    "                         betreten\n"
    "  -x, --one-file-system  keine Ordner auf anderen Dateisystemen betreten\n"
    "  -r, --recurse          ohne Wirkung: zwf durchsucht jeden Ordner immer samt seiner\n"
    "                         Unterordner\n"
    "      --delete           in jeder Gruppe alle Kopien löschen außer denen, die die\n"
    "                         Regel von --keep behält; jede erst, nachdem sie unverändert\n"
    "                         und einer behaltenen Kopie Byte für Byte gleich befunden\n"
    "                         wurde\n"
    "      --link             wie --delete, doch jede Kopie wird zu einer harten\n"
    "                         Verknüpfung mit der behaltenen (nur auf demselben\n"
    "                         Dateisystem)\n"
    "      --dedupe           jede Kopie teilt die Blöcke der behaltenen; der Kern\n"
    "                         vergleicht und teilt in einem Schritt (Linux: btrfs, XFS\n"
    "                         mit reflink)\n"
    "      --trash            wie --delete, doch jede Kopie kommt in den Papierkorb auf\n"
    "                         ihrem Dateisystem (freedesktop.org), aus dem sie sich\n"
    "                         wiederherstellen lässt\n"
    "      --keep REGEL       welche Kopie bleibt: first (die erste, Voreinstellung),\n"
    "                         newest, oldest, oder in:ORDNER (alle Kopien unter ORDNER,\n"
    "                         einem der durchsuchten Ordner oder einem darunter; eine\n"
    "                         Gruppe ohne eine solche bleibt, wie sie ist)\n"
    "      --from DATEI       die Gruppen aus DATEI lesen (- für die Standardeingabe)\n"
    "                         statt zu suchen: die Ausgabe von zwf (als Liste, mit -0\n"
    "                         oder --json) oder von fdupes und jdupes; jede Kopie wird\n"
    "                         erst Byte für Byte mit der behaltenen verglichen\n"
    "  -n, --dry-run          nur zeigen, was --delete, --link, --dedupe oder --trash\n"
    "                         täte; nichts ändern\n"
    "  -h, --help             diese Hilfe\n"
    "  -V, --version          Versionsnummer ausgeben\n"
    "      --                 alles Folgende ist ein Ordner, auch wenn es mit - beginnt\n"
    "\n"
    "Kurze Optionen lassen sich bündeln (-Sf) und nehmen ihren Wert angehängt oder getrennt\n"
    "(-s1K, -s 1K); lange getrennt oder nach = (--min-size=1K).\n"
    "Ohne Option: die Pfade jeder Gruppe, einer pro Zeile, nach jeder Gruppe eine Leerzeile.\n"
    "--null, --summary und --json schließen einander aus; --size gilt nur ohne sie,\n"
    "--omit-first ohne --summary und --json. Leere Dateien gehören nie zu einer Gruppe.\n"
    "\n"
    "Exit-Status:\n"
    "  0  gesucht und ausgegeben, ob gleiche Dateien gefunden wurden oder nicht; oder die Hilfe\n"
    "     oder die Versionsnummer ausgegeben\n"
    "  2  eine Kopie blieb bei --delete, --link, --dedupe oder --trash, wie sie war (verändert,\n"
    "     die behaltene fehlt, anderes Dateisystem, verweigert); ein Eintrag von --from ist\n"
    "     kein Pfad, keine reguläre Datei oder allein in seiner Gruppe;\n"
    "     falscher Aufruf; ein Ordner existiert nicht oder ließ sich nicht oder nur zum Teil\n"
    "     lesen; eine Datei, deren Größe eine andere teilt, ließ sich nicht so lesen, wie sie\n"
    "     katalogisiert wurde (nicht lesbar, ersetzt oder beim Lesen verändert); oder die\n"
    "     Ausgabe ließ sich nicht schreiben. Jeder solche Ordner und jede solche Datei wird\n"
    "     mit dem Grund auf der Standardfehlerausgabe genannt; alles Übrige wird trotzdem\n"
    "     durchsucht und ausgegeben.\n";

}  // namespace zwf::cli
