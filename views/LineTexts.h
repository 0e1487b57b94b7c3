#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/Catalogue.h"

namespace zwf {

// Appends a number in plain decimal: no grouping, no padding, all 64 bits.
void AppendNumber(std::string& text, std::uint64_t number);

// "Alle Dateien (12)": a label title followed by a count in parentheses.
std::string CountLabel(std::string_view title, std::uint64_t count);

// "bild.jpg (512)"
std::string FileLine(const FileEntry& entry);
void AppendFileLine(std::string& text, const FileEntry& entry);

// "3: a.txt, a.txt, kopie.txt": the member count, then every member's name in list order.
std::string GroupLine(const Catalogue& catalogue, const DuplicateGroup& group);
void AppendGroupLine(std::string& text, const Catalogue& catalogue, const DuplicateGroup& group);

// The member's full path: folder, separator, name.
std::string MemberLine(const Catalogue& catalogue, const GroupMember& member);

}  // namespace zwf
