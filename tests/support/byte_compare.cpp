#include "tests/support/byte_compare.hpp"

#include <algorithm>
#include <cstdlib>

namespace egm2008::test {

namespace {

/// Bytes [begin, end) of `s`, with CR and LF shown.
std::string Shown(const std::string& s, std::size_t begin, std::size_t end) {
    std::string shown;
    for (std::size_t i = begin; i < std::min(end, s.size()); ++i) {
        const char c = s[i];
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n\n";
        else
            shown += c;
    }
    return shown;
}

}  // namespace

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    const auto mismatch =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const auto at = static_cast<std::size_t>(mismatch.first - expected.begin());
    const std::size_t from = at > 80 ? at - 80 : 0;
    return ::testing::AssertionFailure()
           << "first difference at byte " << at << " (expected " << expected.size()
           << " bytes, got " << actual.size() << ")\n--- expected from byte " << from << ":\n"
           << Shown(expected, from, at + 80) << "\n--- actual from byte " << from << ":\n"
           << Shown(actual, from, at + 80);
}

::testing::AssertionResult MatchesGolden(const std::string& actual, const std::string& relative) {
    const std::string path = TestData(relative);
    const char* update = std::getenv("EGM2008_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        if (ReadFile(path) != actual) WriteFile(path, actual);
        return ::testing::AssertionSuccess();
    }
    if (!std::filesystem::is_regular_file(path)) {
        return ::testing::AssertionFailure() << "golden file " << path << " is missing";
    }
    return SameBytes(ReadFile(path), actual) << "\n(golden file " << relative << ")";
}

}  // namespace egm2008::test
