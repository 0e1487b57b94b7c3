#pragma once

#include <string>
#include <vector>

namespace zwf::cli {

enum class Format { Plain, Summary, Json };

struct Arguments {
    Format format = Format::Plain;
    std::vector<std::string> folders;
    bool help = false;
    bool version = false;
    std::string error;  // set when the command line cannot be used
};

// zwf [-m|--summary | --json] [--] FOLDER...,   zwf -h|--help   and   zwf -V|--version
Arguments ParseArguments(const std::vector<std::string>& arguments);

inline constexpr const char* kUsage =
    "Aufruf: zwf [--summary | --json] ORDNER...\n"
    "Findet Dateien mit gleichem Inhalt unterhalb der Ordner und gibt sie aus. Löscht nichts.\n"
    "\n"
    "  -m, --summary  nur Anzahlen und freizugebende Bytes ausgeben\n"
    "      --json     Ergebnis als JSON ausgeben\n"
    "  -h, --help     diese Hilfe\n"
    "  -V, --version  Versionsnummer ausgeben\n"
    "\n"
    "Ohne Option: die Pfade jeder Gruppe, einer pro Zeile, nach jeder Gruppe eine Leerzeile.\n"
    "Exit-Status 0, oder 2 bei falschem Aufruf oder einem Ordner, der nicht gelesen werden kann.\n";

}  // namespace zwf::cli
