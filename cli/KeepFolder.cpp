#include "cli/KeepFolder.h"

#include <filesystem>

namespace zwf::cli {

namespace {

std::filesystem::path AsPath(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string AsText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Whether folder is base or below it, both canonical.
bool IsAtOrBelow(const std::filesystem::path& folder, const std::filesystem::path& base) {
    auto f = folder.begin();
    for (auto b = base.begin(); b != base.end(); ++b, ++f) {
        if (b->empty() && std::next(b) == base.end())
            return true;  // a trailing separator (a root)
        if (f == folder.end() || *f != *b)
            return false;
    }
    return true;
}

}  // namespace

std::string ResolveKeepFolder(KeepRule& rule, const std::vector<std::string>& searched, bool fromList,
                              FileSystem& fileSystem) {
    if (rule.kind != KeepRule::Kind::InFolder)
        return {};
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::canonical(AsPath(rule.folder), error);
    const std::string named = "--keep in:" + rule.folder + ": ";
    if (error || !std::filesystem::is_directory(folder, error))
        return named + "kein Ordner";
    bool below = fromList;
    for (const std::string& given : searched) {
        const std::filesystem::path base = std::filesystem::canonical(AsPath(given), error);
        below = below || (!error && IsAtOrBelow(folder, base));
    }
    if (!below)
        return named + "weder einer der durchsuchten Ordner noch unter einem";
    std::string text = AsText(folder);
    if (text == "/")
        text.clear();
    const std::unique_ptr<FolderHandle> handle = fileSystem.OpenFolder(text, error);
    if (!handle)
        return named + "kein Ordner";
    rule.identities = {handle->Identity()};
    rule.folder = AsText(folder);  // from here on the folder itself, for AddFoldersBelow
    return {};
}

void AddFoldersBelow(KeepRule& rule, const Catalogue& catalogue) {
    if (rule.kind != KeepRule::Kind::InFolder)
        return;
    std::error_code error;
    const std::filesystem::path folder = AsPath(rule.folder);
    for (FolderId id = 0; id < catalogue.folders.Count(); ++id) {
        if (catalogue.folders.Parent(id) != kNoParent)
            continue;
        const std::filesystem::path added = std::filesystem::canonical(
            AsPath(catalogue.Path(id).empty() ? std::string(1, catalogue.Separator()) : catalogue.Path(id)), error);
        if (!error && IsAtOrBelow(added, folder))
            rule.identities.push_back(catalogue.folders.Identity(id));
    }
}

}  // namespace zwf::cli
