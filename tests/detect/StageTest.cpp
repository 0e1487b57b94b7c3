// Each stage of the search on its own: a bucket in, what it leaves open, settles and refuses out.
// A file is written as a token: a letter for its content, ' and an offset for a copy with that
// byte changed, ! for one whose reads fail after 100 bytes (? once it was read twice), ~ for
// one that cannot seek, and *N for N such files. Outcomes show each bucket's files by token,
// with a count where there are several, and where an open bucket is known to agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/ScanFolder.h"
#include "detect/Stages.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/Pattern.h"
#include "tests/support/TempTree.h"

namespace zwf::detect {
namespace {

// The search's steps a row runs, in order, by what they are called.
using Steps = std::vector<std::string>;
const Steps kWholeContent{"first file again", "sorted by content", "side by side"};

struct Row {
    const char* what;
    Steps steps;
    std::size_t size;
    std::uint64_t agreed;
    std::string files;
    std::string expected;
    std::size_t kept = kKeptBytes;  // small files' bytes kept for their copies
};

class StageRun {
public:
    StageRun(const Row& row) : m_size(row.size) {
        std::istringstream tokens(row.files);
        for (std::string token; tokens >> token;) {
            std::size_t count = 1;
            if (const std::size_t star = token.find('*'); star != std::string::npos) {
                count = std::stoul(token.substr(star + 1));
                token.resize(star);
            }
            for (std::size_t k = 0; k < count; ++k)
                Write(token);
        }
        ScanFolder(m_catalogue, m_fs, m_tree.Path("s"));
        Bucket bucket{row.size, row.agreed, {}};
        for (std::uint32_t i = 0; i < m_catalogue.allFiles.size(); ++i)
            bucket.files.push_back(Candidate{i});
        ProgressMeter meter(m_noProgress, bucket.BytesOpen());
        Workers workers(ReadingThreads(m_fs.ReadsInParallel()));
        std::vector<Scratch> scratch(workers.Count());
        std::vector<HeldFolder> folders(workers.Count());
        ReadTally tally;
        const SearchContext context{m_catalogue, m_fs, meter, workers, scratch, folders, tally, row.kept};
        m_result.open.push_back(std::move(bucket));
        for (const std::string& name : row.steps) {
            const auto step = std::ranges::find(SearchSteps(), name, [](const Step& s) { return std::string(s.what); });
            EXPECT_NE(step, SearchSteps().end()) << name;
            StageResult next = TakeAndSplit(*step, std::move(m_result.open), context);
            std::ranges::move(m_result.settled, std::back_inserter(next.settled));
            std::ranges::move(m_result.refused, std::back_inserter(next.refused));
            m_result = std::move(next);
        }
    }

    // Buckets by their first files: the order fingerprints put them in changes with every run.
    std::string Outcome() {
        for (std::vector<Bucket>* buckets : {&m_result.open, &m_result.settled})
            std::ranges::sort(*buckets, {}, [](const Bucket& bucket) { return bucket.files.front().file; });
        std::string text;
        for (const Bucket& bucket : m_result.open)
            text += "open[" + Tokens(bucket) + " @" + std::to_string(bucket.agreed) + "] ";
        for (const Bucket& bucket : m_result.settled)
            text += "settled[" + Tokens(bucket) + "] ";
        for (const UnreadFile& file : m_result.refused)
            text += "refused[" + m_tokens[file.file] + "] ";
        if (!text.empty())
            text.pop_back();
        return text;
    }

private:
    void Write(const std::string& token) {
        std::string bytes = test::Pattern(m_size, static_cast<unsigned>(token[0]));
        if (const std::size_t quote = token.find('\''); quote != std::string::npos)
            bytes[std::stoul(token.substr(quote + 1))] ^= 1;
        char name[16];
        std::snprintf(name, sizeof name, "s/f%03zu", m_tokens.size());
        m_tree.Write(name, bytes);
        if (token.find('!') != std::string::npos)
            m_fs.FailReadsAfter(m_tree.Path(name), 100);
        if (token.find('?') != std::string::npos)
            m_fs.FailReadsAfter(m_tree.Path(name), 100, 2);
        if (token.find('~') != std::string::npos)
            m_fs.RefuseSeek(m_tree.Path(name));
        m_tokens.push_back(token);
    }

    std::string Tokens(const Bucket& bucket) const {
        std::vector<std::pair<std::string, std::size_t>> counts;
        for (const Candidate& file : bucket.files) {
            if (counts.empty() || counts.back().first != m_tokens[file.file])
                counts.emplace_back(m_tokens[file.file], 0);
            ++counts.back().second;
        }
        std::string text;
        for (const auto& [token, count] : counts) {
            text.append(text.empty() ? "" : " ").append(token);
            if (count > 1)
                text.append("*").append(std::to_string(count));
        }
        return text;
    }

    std::size_t m_size;
    const SearchProgressFn m_noProgress;
    test::TempTree m_tree;
    test::FaultyFileSystem m_fs;
    Catalogue m_catalogue{m_fs.Separator()};
    std::vector<std::string> m_tokens;  // by catalogue index
    StageResult m_result;
};

TEST(Stage, BucketInOpenSettledRefusedOut) {
    const Row rows[] = {
        {"small files: copies settled on the spot, a near-copy left out, a failing copy refused",
         {"small files"}, 1000, 0, "A*30 B*2 A'999 C A!", "settled[A*30] settled[B*2] refused[A!]"},
        {"small files: the same where nothing is kept and originals are read again for their copies",
         {"small files"}, 1000, 0, "A*30 B*2 A'999 C A!", "settled[A*30] settled[B*2] refused[A!]", 0},
        {"small files: an original failing when read again leaves its copies open, those matched before too",
         {"small files"}, 1000, 0, "A? A*20 B*12", "open[A*20 @0] settled[B*12] refused[A?]", 0},
        {"small files too few to need it stay open untouched", {"small files"}, 1000, 0, "A*3 B",
         "open[A*3 B @0]"},
        {"prefix: split by the first bytes only", {"first bytes"}, 10000, 0, "A*20 A'9000*2 B*20 C!",
         "open[A*20 A'9000*2 @0] open[B*20 @0] refused[C!]"},
        {"prefix: nothing to look at where the first bytes are known equal", {"first bytes"}, 10000, 5000,
         "A*20 B*20", "open[A*20 B*20 @5000]"},
        {"suffix: large files split by their last bytes, a file that cannot seek read its way",
         {"last bytes"}, 1100000, 0, "A*2 A~ A'1099999*2 A'0", "open[A*2 A~ A'0 @0] open[A'1099999*2 @0]"},
        {"fingerprint: only what is not yet known equal", {"content fingerprint"}, 70000, 40000,
         "A*20 A'10*20 A'50000*2 B", "open[A*20 A'10*20 @40000] open[A'50000*2 @40000]"},
        {"first file: copies settled; files parting together go on from there", {"first file"}, 300000, 0,
         "A*40 A'200000*2 A'1000 A!", "open[A'200000*2 @200001] settled[A*40] refused[A!]"},
        {"first file: small buckets stay open", {"first file"}, 300000, 0, "A*3", "open[A*3 @0]"},
        {"whole content: side by side, from where the files agree", kWholeContent, 70000, 100,
         "A*3 A'50 B*2 A'69999 A!", "settled[A*3 A'50] settled[B*2] refused[A!]"},
        {"whole content: many files, many contents", kWholeContent, 70000, 0, "A*40 B*3 C",
         "settled[A*40] settled[B*3]"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(StageRun(row).Outcome(), row.expected) << row.what;
}

}  // namespace
}  // namespace zwf::detect
