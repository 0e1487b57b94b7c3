#include "app/KeepRule.h"

#include <algorithm>

namespace zwf {

bool ParseKeepRule(std::string_view text, KeepRule& rule) {
    if (text == "first" || text == "newest" || text == "oldest") {
        rule.kind = text == "first"    ? KeepRule::Kind::First
                    : text == "newest" ? KeepRule::Kind::Newest
                                       : KeepRule::Kind::Oldest;
        return true;
    }
    if (!text.starts_with("in:") || text.size() == 3)
        return false;
    rule.kind = KeepRule::Kind::InFolder;
    rule.folder = std::string(text.substr(3));
    return true;
}

std::vector<std::size_t> CopiesToKeep(const Catalogue& catalogue, std::size_t g, const KeepRule& rule) {
    const DuplicateGroup& group = catalogue.groups.at(g);
    std::vector<std::size_t> keep;
    if (rule.kind == KeepRule::Kind::InFolder) {
        const auto below = [&](FolderId folder) {
            for (; folder != kNoParent; folder = catalogue.folders.Parent(folder))
                if (std::ranges::find(rule.identities, catalogue.folders.Identity(folder)) != rule.identities.end())
                    return true;
            return false;
        };
        std::size_t position = 0;
        for (const GroupMember& member : catalogue.Members(group)) {
            if (below(member.folder))
                keep.push_back(position);
            ++position;
        }
        return keep;
    }
    std::size_t chosen = 0, position = 0;
    std::int64_t chosenTime = 0;
    for (const GroupMember& member : catalogue.Members(group)) {
        const std::int64_t time = member.seen.modified;
        const bool better = rule.kind == KeepRule::Kind::Newest ? time > chosenTime : time < chosenTime;
        if (position == 0 || (rule.kind != KeepRule::Kind::First && better)) {
            chosen = position;
            chosenTime = time;
        }
        ++position;
    }
    return {chosen};
}

}  // namespace zwf
