#include <gtest/gtest.h>

#include <set>

#include "detect/AlignedBuffer.h"

namespace zwf::detect {
namespace {

// Comparisons alive at once on one thread never share a buffer, and a buffer given back is
// lent again rather than taken anew.
TEST(BorrowedBuffer, NeverSharedWhileLentAndKeptWhenGivenBack) {
    std::byte* keptFirst = nullptr;
    {
        BorrowedBuffer a, b, c;
        std::set<std::byte*> data;
        for (BorrowedBuffer* buffer : {&a, &b, &c}) {
            (*buffer)->Resize(4096);
            data.insert((*buffer)->Data());
        }
        EXPECT_EQ(data.size(), 3u);
        keptFirst = a->Data();
    }
    BorrowedBuffer again;
    again->Resize(1024);  // smaller: the kept one serves as it is
    EXPECT_EQ(again->Data(), keptFirst);
}

}  // namespace
}  // namespace zwf::detect
