#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalogue/Catalogue.h"
#include "platform/FileSystem.h"

namespace zwf::test {

struct OracleGroup {
    std::uint64_t size = 0;
    std::vector<std::size_t> sources;  // indices into allFiles, reference entry first
    friend bool operator==(const OracleGroup&, const OracleGroup&) = default;
};

// The plain quadratic pass the engine must agree with: each record in catalogue order is the
// reference entry, every later unclaimed record of the same positive size is compared with it
// byte by byte, and the identical ones are claimed. A pair counts as identical only when both
// files were read to their catalogued size and then to their end; the later records of a file
// already catalogued (same identity) take no part.
std::vector<OracleGroup> PairwiseGroups(const Catalogue& catalogue, FileSystem& fileSystem);

// The groups a search left in the catalogue, in the same form.
std::vector<OracleGroup> GroupsOf(const Catalogue& catalogue);

}  // namespace zwf::test
