#include "views/LineTexts.h"

#include <array>
#include <charconv>

namespace zwf {

void AppendNumber(std::string& text, std::uint64_t number) {
    std::array<char, 24> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    text.append(digits.data(), result.ptr);
}

std::string CountLabel(std::string_view title, std::uint64_t count) {
    std::string text(title);
    text.append(" (");
    AppendNumber(text, count);
    text.push_back(')');
    return text;
}

std::string FileLine(const FileEntry& entry) {
    std::string line;
    line.reserve(entry.name.size() + 24);
    AppendFileLine(line, entry);
    return line;
}

void AppendFileLine(std::string& text, const FileEntry& entry) {
    text.append(entry.name).append(" (");
    AppendNumber(text, entry.size);
    text.push_back(')');
}

std::string GroupLine(const Catalogue& catalogue, const DuplicateGroup& group) {
    std::string line;
    AppendGroupLine(line, catalogue, group);
    return line;
}

void AppendGroupLine(std::string& text, const Catalogue& catalogue, const DuplicateGroup& group) {
    AppendNumber(text, group.memberCount);
    text.append(": ");
    bool first = true;
    for (const GroupMember& member : catalogue.Members(group)) {
        if (!first)
            text.append(", ");
        text.append(member.name);
        first = false;
    }
}

std::string MemberLine(const Catalogue& catalogue, const GroupMember& member) { return catalogue.FullPath(member); }

}  // namespace zwf
