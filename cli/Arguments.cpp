#include "cli/Arguments.h"

namespace zwf::cli {

Arguments ParseArguments(const std::vector<std::string>& arguments) {
    Arguments parsed;
    bool summary = false;
    bool json = false;
    bool null = false;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
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
        } else if (argument == "-h" || argument == "--help") {
            parsed.help = true;
        } else if (argument == "-V" || argument == "--version") {
            parsed.version = true;
        } else {
            parsed.error = "unbekannte Option: " + argument;
            return parsed;
        }
    }
    if (int{summary} + int{json} + int{null} > 1)
        parsed.error = "--null, --summary und --json schließen einander aus";
    else if (parsed.folders.empty() && !parsed.help && !parsed.version)
        parsed.error = "kein Ordner angegeben";
    parsed.format = json ? Format::Json : summary ? Format::Summary : null ? Format::Null : Format::Plain;
    return parsed;
}

}  // namespace zwf::cli
