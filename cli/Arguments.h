#pragma once

#include <string>
#include <vector>

namespace zwf::cli {

enum class Format { Plain, Null, Summary, Json };

struct Arguments {
    Format format = Format::Plain;
    std::vector<std::string> folders;
    bool help = false;
    bool version = false;
    std::string error;  // set when the command line cannot be used
};

// zwf [-0|--null | -m|--summary | --json] [--] FOLDER...,   zwf -h|--help   and   zwf -V|--version
Arguments ParseArguments(const std::vector<std::string>& arguments);

inline constexpr const char* kUsage =
    "Aufruf: zwf [-0 | --summary | --json] ORDNER...\n"
    "Findet Dateien mit gleichem Inhalt unterhalb der Ordner und gibt sie aus. Löscht nichts.\n"
    "\n"
    "  -0, --null     jeden Pfad mit einem NUL-Zeichen abschließen, jede Gruppe mit einem weiteren\n"
    "  -m, --summary  nur Anzahlen und freizugebende Bytes ausgeben\n"
    "      --json     Ergebnis als JSON ausgeben\n"
    "  -h, --help     diese Hilfe\n"
    "  -V, --version  Versionsnummer ausgeben\n"
    "\n"
    "Ohne Option: die Pfade jeder Gruppe, einer pro Zeile, nach jeder Gruppe eine Leerzeile.\n"
    "Exit-Status 0, oder 2 bei falschem Aufruf oder wenn ein Ordner oder eine Datei nicht gelesen\n"
    "werden konnte (auf der Standardfehlerausgabe genannt).\n";

}  // namespace zwf::cli
