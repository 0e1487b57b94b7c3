#include "cli/Arguments.h"

#include <charconv>
#include <getopt.h>
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
        case 'K':
        case 'k': shift = 10; break;
        case 'M':
        case 'm': shift = 20; break;
        case 'G':
        case 'g': shift = 30; break;
        case 'T':
        case 't': shift = 40; break;
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

// The values getopt_long returns for the long options that have no short letter.
enum LongOnly : int { kJson = 256, kMaxSize, kExclude, kDelete, kLink, kDedupe, kTrash, kKeep, kFrom };

constexpr option kLongOptions[] = {
    {"null", no_argument, nullptr, '0'},
    {"summary", no_argument, nullptr, 'm'},
    {"json", no_argument, nullptr, kJson},
    {"size", no_argument, nullptr, 'S'},
    {"omit-first", no_argument, nullptr, 'f'},
    {"min-size", required_argument, nullptr, 's'},
    {"max-size", required_argument, nullptr, kMaxSize},
    {"exclude", required_argument, nullptr, kExclude},
    {"one-file-system", no_argument, nullptr, 'x'},
    {"recurse", no_argument, nullptr, 'r'},
    {"delete", no_argument, nullptr, kDelete},
    {"link", no_argument, nullptr, kLink},
    {"dedupe", no_argument, nullptr, kDedupe},
    {"trash", no_argument, nullptr, kTrash},
    {"keep", required_argument, nullptr, kKeep},
    {"from", required_argument, nullptr, kFrom},
    {"dry-run", no_argument, nullptr, 'n'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};
// "-": every folder is handed back in its place, whatever POSIXLY_CORRECT says, so options may
// follow folders as they may precede them. ":": a missing value is told apart from an unknown
// option, and getopt itself prints nothing (zwf's messages are its own, in German).
constexpr const char* kShortOptions = "-:0mSfs:xrnhV";

// What is wrong with the option getopt_long stopped at (`error` is what it returned), named as the
// user wrote it: "--max-size" without any "=value", or "-s" for a short one, bundled as in "-Ss" too.
std::string OptionError(int error, const char* argument, int letter) {
    const std::string_view written = argument ? argument : "";
    const std::string longName(written.starts_with("--") ? written.substr(0, written.find('=')) : "");
    const std::string shortName = letter > 0 && letter < 256 ? std::string{'-', static_cast<char>(letter)} : "";
    if (error == ':')  // getopt has moved past the option whose value is missing
        return (longName.empty() ? shortName : longName) + " braucht einen Wert";
    if (letter == 0) {
        std::string meant;  // the long options an abbreviation may stand for
        for (const option& known : kLongOptions)
            if (known.name && longName.size() > 2 && std::string_view(known.name).starts_with(longName.substr(2)))
                meant += (meant.empty() ? "" : ", ") + std::string("--") + known.name;
        if (meant.find(',') != std::string::npos)
            return "mehrdeutige Option: " + longName + " (" + meant + ")";
        return "unbekannte Option: " + (longName.empty() ? std::string(written) : longName);
    }
    // A long option, perhaps abbreviated, given a value it does not take.
    for (const option& known : kLongOptions)
        if (known.name && known.val == letter && longName.size() > 2 &&
            std::string_view(known.name).starts_with(longName.substr(2)))
            return longName + " nimmt keinen Wert";
    return "unbekannte Option: " + (shortName.empty() ? longName : shortName);
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& arguments) {
    Arguments parsed;
    bool summary = false;
    bool json = false;
    bool null = false;
    bool keepGiven = false;
    // getopt_long wants C strings it may reorder, after a program name.
    std::vector<std::string> owned{"zwf"};
    owned.insert(owned.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : owned)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(owned.size());
    optind = 0;  // starts afresh, also when called a second time
    opterr = 0;
    for (int option; parsed.error.empty() &&
                     (option = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr)) != -1;) {
        const std::string value = optarg ? optarg : "";
        switch (option) {
        case 1: parsed.folders.push_back(value); break;
        case 'm': summary = true; break;
        case kJson: json = true; break;
        case '0': null = true; break;
        case 'S': parsed.list.showSize = true; break;
        case 'f': parsed.list.omitFirst = true; break;
        case 'x': parsed.filter.oneFileSystem = true; break;
        case 'r': break;  // every folder is searched with all its subfolders anyway
        case 's':
        case kMaxSize:
            if (!ParseSize(value, option == 's' ? parsed.filter.minSize : parsed.filter.maxSize))
                parsed.error = "keine Größe: " + value;
            break;
        case kExclude:
            if (value.empty())
                parsed.error = "--exclude braucht ein Muster";
            parsed.filter.excludes.push_back(value);
            break;
        case kDelete:
        case kLink:
        case kDedupe:
        case kTrash: {
            const Action action = option == kDelete  ? Action::Delete
                                  : option == kLink  ? Action::Link
                                  : option == kTrash ? Action::Trash
                                                     : Action::Dedupe;
            if (parsed.action != Action::None && parsed.action != action)
                parsed.error = "--delete, --link, --dedupe und --trash schließen einander aus";
#ifdef _WIN32
            if (action == Action::Dedupe)
                parsed.error = "--dedupe gibt es unter Windows nicht: Windows teilt keine Blöcke zwischen Dateien";
            if (action == Action::Trash)
                parsed.error =
                    "--trash gibt es unter Windows nicht: zwf legt Kopien nur in den Papierkorb der "
                    "Linux-Desktops (freedesktop.org)";
#endif
            parsed.action = action;
            break;
        }
        case 'n': parsed.dryRun = true; break;
        case kKeep:
            keepGiven = true;
            if (!ParseKeepRule(value, parsed.keep))
                parsed.error = "keine Regel für --keep: " + value + " (first, newest, oldest, in:ORDNER)";
            break;
        case kFrom:
            if (value.empty())
                parsed.error = "--from braucht eine Datei (oder - für die Standardeingabe)";
            parsed.fromList = value;
            break;
        case 'h': parsed.help = true; break;
        case 'V': parsed.version = true; break;
        default: parsed.error = OptionError(option, argv[optind - 1], optopt); break;
        }
    }
    if (!parsed.error.empty())
        return parsed;
    for (int i = optind; i < argc; ++i)  // the folders after "--"
        parsed.folders.emplace_back(argv[i]);
    if (int{summary} + int{json} + int{null} > 1)
        parsed.error = "--null, --summary und --json schließen einander aus";
    else if (parsed.list.showSize && (summary || json || null))
        parsed.error = "--size gilt nur für die Liste ohne --null, --summary und --json";
    else if (parsed.list.omitFirst && (summary || json))
        parsed.error = "--omit-first gilt nicht mit --summary und --json";
    else if (parsed.action != Action::None &&
             (summary || json || null || parsed.list.showSize || parsed.list.omitFirst))
        parsed.error =
            "--delete, --link, --dedupe und --trash geben ihre eigene Liste aus: nicht mit -0, -m, --json, -S, -f";
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
