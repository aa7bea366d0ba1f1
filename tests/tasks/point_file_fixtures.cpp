#include "point_file_fixtures.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

namespace egm2008::testing {

ScratchFolder::ScratchFolder() {
    std::string pattern = ::testing::TempDir() + "egm2008_pfile_XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a scratch folder from " << pattern;
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void WriteConstantGrid(const std::string& path, float value, bool bigEndian) {
    constexpr std::uint32_t kColumns = 2160;
    constexpr int kRows = 1081;
    auto put = [bigEndian](std::vector<unsigned char>& out, std::size_t at, std::uint32_t word) {
        for (int k = 0; k < 4; ++k) {
            const int shift = bigEndian ? 24 - 8 * k : 8 * k;
            out[at + static_cast<std::size_t>(k)] = static_cast<unsigned char>(word >> shift);
        }
    };
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    std::vector<unsigned char> record((kColumns + 2) * 4);
    put(record, 0, kColumns * 4);
    for (std::size_t c = 0; c < kColumns; ++c) put(record, 4 + 4 * c, bits);
    put(record, 4 + 4 * kColumns, kColumns * 4);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (int r = 0; r < kRows; ++r) {
        out.write(reinterpret_cast<const char*>(record.data()),
                  static_cast<std::streamsize>(record.size()));
    }
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

GeoidGrid ConstantGrid(float value) {
    static const auto folder = std::make_unique<ScratchFolder>();
    static std::map<float, std::string> written;
    const bool bigEndian = value == 56.0f;
    auto& path = written[value];
    if (path.empty()) {
        path = folder->File(bigEndian ? "constant_be" : "constant_le");
        WriteConstantGrid(path, value, bigEndian);
    }
    GeoidGrid grid;
    grid.path = path;
    grid.bigEndian = bigEndian;
    return grid;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string GoldenPath(const std::string& name) {
    return std::string(EGM2008_TEST_DATA_DIR) + "/point_file/" + name;
}

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
    if (expected == actual) return ::testing::AssertionSuccess();
    const auto mismatch = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const auto at = static_cast<std::size_t>(mismatch.first - expected.begin());
    const std::size_t from = at > 80 ? at - 80 : 0;
    auto show = [](const std::string& s, std::size_t begin, std::size_t end) {
        std::string shown;
        for (std::size_t i = begin; i < std::min(end, s.size()); ++i) {
            const char c = s[i];
            if (c == '\r') shown += "\\r";
            else if (c == '\n') shown += "\\n\n";
            else shown += c;
        }
        return shown;
    };
    return ::testing::AssertionFailure()
           << "first difference at byte " << at << " (expected " << expected.size()
           << " bytes, got " << actual.size() << ")\n--- expected from byte " << from << ":\n"
           << show(expected, from, at + 80) << "\n--- actual from byte " << from << ":\n"
           << show(actual, from, at + 80);
}

}  // namespace egm2008::testing
