#include "cli/Report.h"

#include <charconv>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "platform/Hex.h"

namespace zwf::cli {

namespace {

struct Totals {
    std::uint64_t files = 0;        // files in groups
    std::uint64_t copies = 0;       // files beyond the first of each group
    std::uint64_t reclaimable = 0;  // their bytes
};

Totals Count(const Catalogue& catalogue) {
    Totals totals;
    for (const DuplicateGroup& group : catalogue.groups) {
        totals.files += group.memberCount;
        totals.copies += group.memberCount - 1;
        totals.reclaimable += (group.memberCount - 1) * group.size;
    }
    return totals;
}

void Put(std::FILE* out, std::string_view text) { std::fwrite(text.data(), 1, text.size(), out); }

std::string Number(std::uint64_t value) {
    char buffer[24];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

// Length of the valid UTF-8 sequence at text[i], or 0 when the bytes there are not one.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xE  ? 3
                         : (lead >> 3) == 0x1E ? 4
                                               : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    if (length == 2 && lead < 0xC2)
        return 0;  // overlong
    if (length == 3) {
        const unsigned char second = byte(i + 1);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0))
            return 0;  // overlong or a surrogate
    }
    if (length == 4) {
        const unsigned char second = byte(i + 1);
        if ((lead == 0xF0 && second < 0x90) || lead > 0xF4 || (lead == 0xF4 && second >= 0x90))
            return 0;
    }
    return length;
}

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8Length(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string JsonString(std::string_view text) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) {
            quoted += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            quoted += "\\u00";
            quoted += kHex[c >> 4];
            quoted += kHex[c & 0xF];
        } else {
            quoted.append(text.substr(i, length));
        }
        i += length;
    }
    quoted += '"';
    return quoted;
}

}  // namespace

void PrintPlain(std::FILE* out, const Catalogue& catalogue, const ListOptions& options) {
    for (const DuplicateGroup& group : catalogue.groups) {
        if (options.showSize)
            Put(out, Number(group.size) + (group.size == 1 ? " Byte" : " Bytes") + " je Datei:\n");
        bool first = true;
        for (const GroupMember& member : catalogue.Members(group)) {
            if (!std::exchange(first, false) || !options.omitFirst) {
                Put(out, catalogue.FullPath(member));
                Put(out, "\n");
            }
        }
        Put(out, "\n");
    }
}

void PrintNullSeparated(std::FILE* out, const Catalogue& catalogue, const ListOptions& options) {
    for (const DuplicateGroup& group : catalogue.groups) {
        bool first = true;
        for (const GroupMember& member : catalogue.Members(group)) {
            if (!std::exchange(first, false) || !options.omitFirst) {
                Put(out, catalogue.FullPath(member));
                Put(out, std::string_view("\0", 1));
            }
        }
        Put(out, std::string_view("\0", 1));
    }
}

std::string ReadableSize(std::uint64_t bytes) {
    if (bytes < 1024)
        return Number(bytes) + (bytes == 1 ? " Byte" : " Bytes");
    static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    int unit = 0;
    double value = static_cast<double>(bytes) / 1024;
    // Rounded to tenths; a value that rounds to 1024 moves on to the next unit.
    while (unit < 5 && std::llround(value * 10) >= 10240) {
        value /= 1024;
        ++unit;
    }
    const auto tenths = static_cast<std::uint64_t>(std::llround(value * 10));
    return Number(tenths / 10) + "," + Number(tenths % 10) + " " + kUnits[unit];
}

void PrintSummary(std::FILE* out, const Catalogue& catalogue) {
    const Totals totals = Count(catalogue);
    const auto counted = [](std::uint64_t n, std::string_view one, std::string_view many) {
        return Number(n) + " " + std::string(n == 1 ? one : many);
    };
    Put(out, counted(catalogue.allFiles.size(), "Datei", "Dateien") + " katalogisiert\n");
    Put(out, counted(catalogue.groups.size(), "Gruppe", "Gruppen") + " mit gleichem Inhalt, " +
                 counted(totals.files, "Datei", "Dateien") + "\n");
    std::string readable;
    if (totals.reclaimable >= 1024)
        readable = " (" + ReadableSize(totals.reclaimable) + ")";
    Put(out, counted(totals.copies, "Kopie", "Kopien") + " zu viel, " + counted(totals.reclaimable, "Byte", "Bytes") +
                 " freizugeben" + readable + "\n");
}

void PrintJson(std::FILE* out, const Catalogue& catalogue) {
    const Totals totals = Count(catalogue);
    Put(out, "{\"files\": " + Number(catalogue.allFiles.size()) + ", \"groups\": [");
    bool firstGroup = true;
    for (const DuplicateGroup& group : catalogue.groups) {
        Put(out, firstGroup ? "\n  " : ",\n  ");
        firstGroup = false;
        std::vector<std::string> paths;
        for (const GroupMember& member : catalogue.Members(group))
            paths.push_back(catalogue.FullPath(member));
        Put(out, "{\"size\": " + Number(group.size) + ", \"paths\": [");
        bool rawNeeded = false;
        for (std::size_t k = 0; k < paths.size(); ++k) {
            Put(out, k == 0 ? "" : ", ");
            Put(out, JsonString(paths[k]));
            rawNeeded = rawNeeded || !IsUtf8(paths[k]);
        }
        Put(out, "]");
        // Names that are not UTF-8 lose bytes above; their exact bytes follow, as hex.
        if (rawNeeded) {
            Put(out, ", \"raw_paths\": [");
            for (std::size_t k = 0; k < paths.size(); ++k) {
                Put(out, k == 0 ? "" : ", ");
                if (IsUtf8(paths[k])) {
                    Put(out, "null");
                } else {
                    Put(out, "\"");
                    Put(out, HexOf(paths[k]));
                    Put(out, "\"");
                }
            }
            Put(out, "]");
        }
        Put(out, "}");
    }
    Put(out, firstGroup ? "]" : "\n]");
    Put(out, ", \"duplicates\": " + Number(totals.copies) + ", \"reclaimable_bytes\": " + Number(totals.reclaimable) +
                 "}\n");
}

}  // namespace zwf::cli
