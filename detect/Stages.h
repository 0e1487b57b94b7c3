#pragma once

// The stages of a search. A stage is handed the buckets it takes (the driver picks them, each
// stage with its own rule, see SearchSteps) and hands back what it leaves open for the next, the
// sets it settled, and the files it refused (see Bucket.h); the buckets it does not take stay open
// as they are. Only byte-for-byte stages settle; they read a file only through CandidateFile, from
// where the files are known to agree, and settle only sets confirmed to the end of every file.
// The others split by fingerprints, which cover only bytes not yet known to be equal.
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "detect/Bucket.h"
#include "detect/CandidateFile.h"
#include "detect/SearchContext.h"

namespace zwf::detect {

// Files up to this size are read whole in one go.
inline constexpr std::size_t kSmallFileBytes = 64 * 1024;

using Stage = std::function<StageResult(std::vector<Bucket> taken, const SearchContext& context)>;

// One step of a search: a stage and the rule that picks the buckets it takes.
struct Step {
    const char* what;
    bool (*takes)(const Bucket& bucket);
    Stage stage;
};

// The steps of a search, in the order it runs them (FindDuplicates.cpp).
std::span<const Step> SearchSteps();

// Runs the step's stage on the buckets its rule takes; the others stay open, ahead of what the
// stage leaves open.
StageResult TakeAndSplit(const Step& step, std::vector<Bucket> buckets, const SearchContext& context);

// A stage that takes its buckets one by one: split(bucket, refusals, result) for each.
template <class Split>
StageResult EachBucket(std::vector<Bucket>& taken, Split split) {
    StageResult result;
    Refusals refusals;
    for (Bucket& bucket : taken)
        split(bucket, refusals, result);
    result.refused = refusals.Take();
    return result;
}

// Byte for byte. Buckets of small files too many to read side by side: each file is read whole
// once, and a file whose fingerprint matches an earlier file's is compared with that file byte
// for byte on the spot, while its own bytes are still at hand (the earlier file's bytes are kept
// while the search's keptBytes last, or read again). The rare files that match a fingerprint
// but not the bytes stay open together, for stages that take any number of such files.
StageResult SplitSmallFilesByContent(std::vector<Bucket> taken, const SearchContext& context);

// The bytes of a bucket's files a fingerprint covers: [from, to).
struct Piece {
    std::uint64_t from = 0, to = 0;
};
using PieceOf = Piece (*)(const Bucket& bucket);

// Splits the buckets by a fingerprint of the piece of their files pieceOf names. The files of all
// buckets are fingerprinted in one go, so the threads share the whole stage rather than meeting
// again after every small bucket.
StageResult SplitByFingerprint(std::vector<Bucket> taken, const SearchContext& context, PieceOf pieceOf);

// Byte for byte. Buckets too large to open at once: each is read side by side with its first
// file, in batches, a batch per thread at a time: two blocks in memory serve any number of files,
// and each file is read only until it parts from the first file. The first file's copies are
// settled. A file that parts at offset X holding byte B there is equal to the first file, and so
// to every other file parting at X with B, before X: those files go on together from X + 1,
// passed over again with their own first file, and none of them is read again where they are
// known equal. So a bucket of copies is read only once.
//
// A set that is most of its bucket and parted hardly beyond where the bucket agreed may be one of
// many contents sharing ever longer beginnings: its pass gives up as soon as most files of a round
// go on together hardly further, so that no bucket is read again and again for a few bytes each
// time. Every file then stays open, where it was known equal, for the stages that take many
// contents at once; so does every file when the first file changed. Sets small enough to open at
// once are left open.
StageResult SplitByFirstFile(std::vector<Bucket> taken, const SearchContext& context);

// Byte for byte, settles every bucket it takes. Splits a bucket into sets of identical files by
// sorting its files by their bytes, two files open at a time: a merge sort whose comparisons read
// two files from where they are known to agree up to their first difference, and which joins two
// files into one set as soon as they compare equal. It takes at most n log n comparisons whatever
// the files hold, so it is the way out for a bucket too large to read side by side that holds
// many different contents which no fingerprint told apart. Runs on the searching thread, with the
// first worker's buffers.
StageResult SplitBySortingContent(std::vector<Bucket> taken, const SearchContext& context);

// Byte for byte, settles every bucket it takes, each of at most kMaxOpenFiles files, several
// threads taking one bucket each. The files of a bucket are opened together and read block by
// block from where they are known to agree, splitting them apart as their blocks differ, until
// the end of the files. Each set of two or more files whose every byte agrees and which all ended
// exactly at their size is settled; a file stops being read as soon as no other file agrees with
// it so far.
StageResult SplitSideBySide(std::vector<Bucket> taken, const SearchContext& context);

}  // namespace zwf::detect
