#include "cli/FromList.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>

#include "platform/Hex.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace zwf::cli {

namespace {

// Just enough JSON for what zwf --json writes: objects, arrays, strings, numbers, null, true, false.
class Json {
public:
    explicit Json(std::string_view text) : m_text(text) {}

    struct Group {
        std::vector<std::optional<std::string>> paths, raw;
    };

    // The top object's "groups"; false where the text is no such JSON.
    bool Groups(std::vector<Group>& groups) {
        return Members([&](const std::string& key) {
            if (key != "groups")
                return Skip();
            return Items([&] { return Members([&](const std::string& field) { return Field(field, groups); }); },
                         groups);
        });
    }
    std::size_t At() const { return m_at; }

private:
    // A group's "paths" and "raw_paths"; any other member skipped.
    bool Field(const std::string& key, std::vector<Group>& groups) {
        if (key == "paths" || key == "raw_paths")
            return Strings(key == "paths" ? groups.back().paths : groups.back().raw);
        return Skip();
    }
    // An object whose members member reads, each given its key.
    template <typename Member>
    bool Members(Member member) {
        if (!Expect('{'))
            return false;
        if (Peek('}'))
            return true;
        do {
            std::optional<std::string> key = String();
            if (!key || !Expect(':') || !member(*key))
                return false;
        } while (Peek(','));
        return Expect('}');
    }
    // An array of objects, each read by item into a new group.
    template <typename Item>
    bool Items(Item item, std::vector<Group>& groups) {
        if (!Expect('['))
            return false;
        if (Peek(']'))
            return true;
        do {
            groups.emplace_back();
            if (!item())
                return false;
        } while (Peek(','));
        return Expect(']');
    }
    // An array of strings; an entry that is none (null, a number) is kept as nothing.
    bool Strings(std::vector<std::optional<std::string>>& into) {
        if (!Expect('['))
            return false;
        if (Peek(']'))
            return true;
        do {
            Space();
            if (m_at < m_text.size() && m_text[m_at] == '"') {
                std::optional<std::string> text = String();
                if (!text)
                    return false;
                into.push_back(std::move(text));
            } else if (Skip()) {
                into.emplace_back();
            } else {
                return false;
            }
        } while (Peek(','));
        return Expect(']');
    }
    bool Skip() {
        Space();
        if (m_at >= m_text.size())
            return false;
        const char c = m_text[m_at];
        if (c == '"')
            return String().has_value();
        if (c == '[' || c == '{') {
            // zwf writes three levels; a list nested deeper than any output is no list (and
            // must not cost the stack of a program about to act on files).
            if (m_depth >= kDeepest)
                return false;
            const char close = c == '[' ? ']' : '}';
            ++m_at;
            ++m_depth;
            const bool whole = [&] {
                if (Peek(close))
                    return true;
                do {
                    if ((c == '{' && (!String() || !Expect(':'))) || !Skip())
                        return false;
                } while (Peek(','));
                return Expect(close);
            }();
            --m_depth;
            return whole;
        }
        const std::size_t start = m_at;
        while (m_at < m_text.size() &&
               std::string_view("+-.0123456789eEtruefalsn").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
        return m_at > start;
    }
    std::optional<std::string> String() {
        if (!Expect('"'))
            return std::nullopt;
        std::string text;
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            char c = m_text[m_at++];
            if (c != '\\') {
                text += c;
                continue;
            }
            if (m_at >= m_text.size())
                return std::nullopt;
            c = m_text[m_at++];
            switch (c) {
            case 'n': text += '\n'; break;
            case 't': text += '\t'; break;
            case 'r': text += '\r'; break;
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'u': {
                std::optional<unsigned> code = Hex4();
                if (!code)
                    return std::nullopt;
                if (*code >= 0xD800 && *code < 0xDC00 && m_text.substr(m_at, 2) == "\\u") {
                    m_at += 2;
                    const std::optional<unsigned> low = Hex4();
                    if (!low || *low < 0xDC00 || *low >= 0xE000)
                        return std::nullopt;
                    *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
                }
                Utf8(*code, text);
                break;
            }
            default: text += c;  // \" \\ \/
            }
        }
        if (!Expect('"'))
            return std::nullopt;
        return text;
    }
    std::optional<unsigned> Hex4() {
        if (m_at + 4 > m_text.size())
            return std::nullopt;
        const std::optional<std::string> bytes = FromHex(std::string(m_text.substr(m_at, 4)));
        if (!bytes)
            return std::nullopt;
        m_at += 4;
        return static_cast<unsigned>(static_cast<unsigned char>((*bytes)[0])) << 8 |
               static_cast<unsigned char>((*bytes)[1]);
    }
    static void Utf8(unsigned code, std::string& text) {
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | code >> 6);
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += static_cast<char>(0xE0 | code >> 12);
            text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | code >> 18);
            text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    void Space() {
        while (m_at < m_text.size() && std::string_view(" \t\r\n").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
    }
    bool Peek(char c) {
        Space();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool Expect(char c) { return Peek(c); }

    static constexpr int kDeepest = 64;
    std::string_view m_text;
    std::size_t m_at = 0;
    int m_depth = 0;
};

ListedGroups FromJson(std::string_view text) {
    ListedGroups listed;
    Json json(text);
    std::vector<Json::Group> groups;
    if (!json.Groups(groups)) {
        listed.error = "kein JSON, wie zwf --json es schreibt (Byte " + std::to_string(json.At()) + ")";
        return listed;
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
        std::vector<std::string>& paths = listed.groups.emplace_back();
        for (std::size_t k = 0; k < groups[g].paths.size(); ++k) {
            std::optional<std::string> path = groups[g].paths[k];
            if (k < groups[g].raw.size() && groups[g].raw[k])
                path = FromHex(*groups[g].raw[k]);
            if (path && !path->empty())
                paths.push_back(std::move(*path));
            else
                listed.problems.push_back("Gruppe " + std::to_string(g + 1) + ", Eintrag " + std::to_string(k + 1) +
                                          ": kein Pfad");
        }
    }
    return listed;
}

// Paths ended by end, each group by an empty one (the last group's end may be missing).
ListedGroups Split(std::string_view text, char end) {
    ListedGroups listed;
    std::vector<std::string> group;
    while (!text.empty()) {
        const std::size_t cut = text.find(end);
        const std::string_view path = text.substr(0, cut);
        text.remove_prefix(cut == std::string_view::npos ? text.size() : cut + 1);
        if (!path.empty()) {
            group.emplace_back(path);
        } else if (!group.empty()) {
            listed.groups.push_back(std::move(group));
            group.clear();
        }
    }
    if (!group.empty())
        listed.groups.push_back(std::move(group));
    return listed;
}

bool IsSeparator(char c, char separator) { return c == separator || c == '/'; }

}  // namespace

ListedGroups ParseGroupList(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && text[first] == '{')
        return FromJson(text);
    return Split(text, text.find('\0') != std::string_view::npos ? '\0' : '\n');
}

bool ReadWhole(const std::string& file, std::string& text, std::error_code& error) {
    std::FILE* in = stdin;
    if (file != "-") {
#ifdef _WIN32
        in = ::_wfopen(std::filesystem::path(std::u8string(file.begin(), file.end())).c_str(), L"rb");
#else
        in = std::fopen(file.c_str(), "rb");
#endif
        if (!in) {
            error = {errno, std::generic_category()};
            return false;
        }
    } else {
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);
#endif
    }
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        text.append(buffer, got);
    const bool failed = std::ferror(in) != 0;
    if (failed)
        error = {errno ? errno : EIO, std::generic_category()};
    if (in != stdin)
        std::fclose(in);
    return !failed;
}

std::vector<std::string> CatalogueFromList(Catalogue& catalogue, FileSystem& fileSystem, const ListedGroups& listed,
                                           const ReasonFn& reason) {
    std::vector<std::string> problems = listed.problems;
    const char separator = fileSystem.Separator();
    std::map<std::string, FolderId> reached;  // each folder as listed, reached once
    // The folder last reached stays open for the paths after it, most often in the same folder.
    std::string heldFolder;
    std::unique_ptr<FolderHandle> held;
    // The folder as written, added to the catalogue as a searched folder is (links on its way
    // followed, its identity recorded), and held open.
    const auto reach = [&](const std::string& folder, std::error_code& error) -> std::optional<FolderId> {
        const auto known = reached.find(folder);
        if (!held || heldFolder != folder) {
            held = fileSystem.OpenFolder(known != reached.end() ? catalogue.Path(known->second) : folder, error);
            heldFolder = held ? folder : std::string();
        }
        if (!held)
            return std::nullopt;
        if (known != reached.end())
            return known->second;
        return reached.emplace(folder, catalogue.folders.Intern(folder, held->Identity())).first->second;
    };
    for (const std::vector<std::string>& group : listed.groups) {
        std::vector<std::size_t> sources;
        std::vector<FileTimes> seen;
        for (const std::string& path : group) {
            std::size_t cut = path.size();
            while (cut > 0 && !IsSeparator(path[cut - 1], separator))
                --cut;
            const std::string name = path.substr(cut);
            std::string folder = cut == 0 ? std::string(".") : path.substr(0, cut);
            while (!folder.empty() && IsSeparator(folder.back(), separator) && !fileSystem.IsRoot(folder))
                folder.pop_back();
            if (folder.size() == 1 && IsSeparator(folder[0], separator))
                folder.clear();  // the POSIX root
            if (name.empty() || name == "." || name == "..") {
                problems.push_back(path + ": kein Pfad einer Datei");
                continue;
            }
            std::error_code error;
            const std::optional<FolderId> id = reach(folder, error);
            const FileStatus now = id ? fileSystem.StatIn(*held, name) : FileStatus{};
            if (!id || now.error) {
                problems.push_back(path + ": " + reason(error ? error : now.error));
                continue;
            }
            if (now.kind != EntryKind::File) {
                problems.push_back(path + ": keine reguläre Datei");
                continue;
            }
            // A second name of a file listed already (the same path, or a hard link) is no copy.
            const auto same = std::ranges::find_if(
                sources, [&](std::size_t source) { return catalogue.allFiles[source].identity == now.identity; });
            if (now.identity.Known() && same != sources.end()) {
                problems.push_back(path + ": dieselbe Datei wie " + catalogue.FullPath(catalogue.allFiles[*same]) +
                                   ", keine Kopie von ihr");
                continue;
            }
            if (!sources.empty() && now.size != catalogue.allFiles[sources.front()].size) {
                problems.push_back(path + ": nicht so groß wie die erste Datei der Gruppe, also keine Kopie von ihr");
                continue;
            }
            sources.push_back(catalogue.allFiles.size());
            seen.push_back(now.times);
            catalogue.allFiles.push_back(FileEntry{*id, name, now.size, now.identity});
        }
        if (sources.size() == 1)
            problems.push_back(catalogue.FullPath(catalogue.allFiles[sources.front()]) +
                               ": allein in ihrer Gruppe, nichts zu tun");
        if (sources.size() >= 2)
            catalogue.AppendGroup(catalogue.allFiles[sources.front()].size, sources, seen);
    }
    return problems;
}

}  // namespace zwf::cli
