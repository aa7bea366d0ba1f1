// SHA-256 against the FIPS 180 examples, the message fed whole and in uneven pieces.
#include "engine/sha256.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace egm2008::engine {
namespace {

struct DigestCase {
    const char* name;
    std::string message;
    const char* sha256;
};

class Sha256Test : public testing::TestWithParam<DigestCase> {};

TEST_P(Sha256Test, GivesTheKnownDigestWholeAndInPieces) {
    const DigestCase& c = GetParam();
    Sha256 whole;
    whole.Update(c.message.data(), c.message.size());
    EXPECT_EQ(Sha256::Hex(whole.Finish()), c.sha256);

    // Pieces of 1, 2, ... 70 bytes cross the 64-byte blocks at every offset.
    Sha256 pieces;
    std::size_t at = 0;
    for (std::size_t size = 1; at < c.message.size(); size = size % 70 + 1) {
        const std::size_t take = std::min(size, c.message.size() - at);
        pieces.Update(c.message.data() + at, take);
        at += take;
    }
    EXPECT_EQ(Sha256::Hex(pieces.Finish()), c.sha256);
}

INSTANTIATE_TEST_SUITE_P(
    Fips180, Sha256Test,
    testing::Values(
        DigestCase{"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        DigestCase{"Abc", "abc",
                   "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the first block.
        DigestCase{"TwoBlocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
                   "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        DigestCase{"MillionA", std::string(1000000, 'a'),
                   "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}),
    [](const testing::TestParamInfo<DigestCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace egm2008::engine
