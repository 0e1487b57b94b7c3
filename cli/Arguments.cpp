#include "cli/Arguments.h"

#include <charconv>
#include <limits>

namespace zwf::cli {

bool ParseSize(std::string_view text, std::uint64_t& size) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return false;
    std::string_view unit(end, static_cast<std::size_t>(text.data() + text.size() - end));
    int shift = 0;
    if (unit.size() == 1) {
        switch (unit[0]) {
        case 'K': case 'k': shift = 10; break;
        case 'M': case 'm': shift = 20; break;
        case 'G': case 'g': shift = 30; break;
        case 'T': case 't': shift = 40; break;
        default: return false;
        }
    } else if (!unit.empty()) {
        return false;
    }
    if (shift > 0 && value > (std::numeric_limits<std::uint64_t>::max() >> shift))
        return false;
    size = value << shift;
    return true;
}

namespace {

// An option that takes a value: "--name VALUE", "--name=VALUE", or the short "-s VALUE".
bool TakesValue(const std::vector<std::string>& arguments, std::size_t& i, std::string_view shortName,
                std::string_view longName, std::string& value, std::string& error) {
    const std::string& argument = arguments[i];
    if (argument.size() > longName.size() && argument.starts_with(longName) && argument[longName.size()] == '=') {
        value = argument.substr(longName.size() + 1);
        return true;
    }
    if (argument != longName && (shortName.empty() || argument != shortName))
        return false;
    if (i + 1 >= arguments.size()) {
        error = argument + " braucht einen Wert";
        return true;
    }
    value = arguments[++i];
    return true;
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& arguments) {
    Arguments parsed;
    bool summary = false;
    bool json = false;
    bool null = false;
    bool optionsEnded = false;
    bool keepGiven = false;
    for (std::size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        std::string value;
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            parsed.folders.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-m" || argument == "--summary") {
            summary = true;
        } else if (argument == "--json") {
            json = true;
        } else if (argument == "-0" || argument == "--null") {
            null = true;
        } else if (argument == "-S" || argument == "--size") {
            parsed.list.showSize = true;
        } else if (argument == "-f" || argument == "--omit-first") {
            parsed.list.omitFirst = true;
        } else if (argument == "-x" || argument == "--one-file-system") {
            parsed.filter.oneFileSystem = true;
        } else if (TakesValue(arguments, i, "-s", "--min-size", value, parsed.error)) {
            if (parsed.error.empty() && !ParseSize(value, parsed.filter.minSize))
                parsed.error = "keine Größe: " + value;
        } else if (TakesValue(arguments, i, "", "--max-size", value, parsed.error)) {
            if (parsed.error.empty() && !ParseSize(value, parsed.filter.maxSize))
                parsed.error = "keine Größe: " + value;
        } else if (TakesValue(arguments, i, "", "--exclude", value, parsed.error)) {
            if (parsed.error.empty() && value.empty())
                parsed.error = "--exclude braucht ein Muster";
            parsed.filter.excludes.push_back(value);
        } else if (argument == "--delete" || argument == "--link" || argument == "--dedupe" || argument == "--trash") {
            const Action action = argument == "--delete" ? Action::Delete
                                  : argument == "--link" ? Action::Link
                                  : argument == "--trash" ? Action::Trash
                                                         : Action::Dedupe;
            if (parsed.action != Action::None && parsed.action != action)
                parsed.error = "--delete, --link, --dedupe und --trash schließen einander aus";
#ifdef _WIN32
            if (action == Action::Dedupe)
                parsed.error = "--dedupe gibt es unter Windows nicht: Windows teilt keine Blöcke zwischen Dateien";
            if (action == Action::Trash)
                parsed.error = "--trash gibt es unter Windows nicht: zwf legt Kopien nur in den Papierkorb der "
                               "Linux-Desktops (freedesktop.org)";
#endif
            parsed.action = action;
        } else if (argument == "-n" || argument == "--dry-run") {
            parsed.dryRun = true;
        } else if (TakesValue(arguments, i, "", "--keep", value, parsed.error)) {
            keepGiven = true;
            if (parsed.error.empty() && !ParseKeepRule(value, parsed.keep))
                parsed.error = "keine Regel für --keep: " + value + " (first, newest, oldest, in:ORDNER)";
        } else if (TakesValue(arguments, i, "", "--from", value, parsed.error)) {
            if (parsed.error.empty() && value.empty())
                parsed.error = "--from braucht eine Datei (oder - für die Standardeingabe)";
            parsed.fromList = value;
        } else if (argument == "-h" || argument == "--help") {
            parsed.help = true;
        } else if (argument == "-V" || argument == "--version") {
            parsed.version = true;
        } else {
            parsed.error = "unbekannte Option: " + argument;
        }
    }
    if (!parsed.error.empty())
        return parsed;
    if (int{summary} + int{json} + int{null} > 1)
        parsed.error = "--null, --summary und --json schließen einander aus";
    else if (parsed.list.showSize && (summary || json || null))
        parsed.error = "--size gilt nur für die Liste ohne --null, --summary und --json";
    else if (parsed.list.omitFirst && (summary || json))
        parsed.error = "--omit-first gilt nicht mit --summary und --json";
    else if (parsed.action != Action::None && (summary || json || null || parsed.list.showSize || parsed.list.omitFirst))
        parsed.error = "--delete, --link, --dedupe und --trash geben ihre eigene Liste aus: nicht mit -0, -m, --json, -S, -f";
    else if (parsed.action == Action::None && (keepGiven || parsed.dryRun || !parsed.fromList.empty()))
        parsed.error = "--keep, --dry-run und --from gelten nur mit --delete, --link, --dedupe oder --trash";
    else if (!parsed.fromList.empty() && !parsed.folders.empty())
        parsed.error = "--from liest die Gruppen aus einer Datei: dazu kein Ordner";
    else if (!parsed.fromList.empty() && (parsed.filter.minSize != 0 || parsed.filter.maxSize != UINT64_MAX ||
                                          !parsed.filter.excludes.empty() || parsed.filter.oneFileSystem))
        parsed.error = "--from liest die Gruppen aus einer Datei: dazu keine Filter (-s, --max-size, --exclude, -x)";
    else if (parsed.filter.minSize > parsed.filter.maxSize)
        parsed.error = "--min-size ist größer als --max-size";
    else if (parsed.folders.empty() && parsed.fromList.empty() && !parsed.help && !parsed.version)
        parsed.error = "kein Ordner angegeben";
    parsed.format = json ? Format::Json : summary ? Format::Summary : null ? Format::Null : Format::Plain;
    return parsed;
}

}  // namespace zwf::cli
