#include "cli_test_support.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "cli/run_cli.hpp"

namespace egm2008::cli::test {

namespace {

int MemoryFile(const std::string& content) {
    const int fd = ::memfd_create("cli-test", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) {
        throw std::runtime_error("cannot make a memory file");
    }
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

std::string Drain(int fd) {
    std::string bytes;
    char buffer[65536];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
}

void PutWord(char* at, std::uint32_t word, bool bigEndian) {
    for (int k = 0; k < 4; ++k) at[k] = static_cast<char>((word >> (bigEndian ? 24 - 8 * k : 8 * k)) & 0xFF);
}

}  // namespace

CliRun RunTool(const std::vector<std::string>& args, const std::string& input, int outFd) {
    const int in = MemoryFile(input);
    const int out = outFd >= 0 ? outFd : MemoryFile("");
    const int err = MemoryFile("");
    CliRun run;
    run.status = runCli(args, in, out, err);
    if (outFd < 0) run.out = Drain(out);
    run.err = Drain(err);
    ::close(in);
    return run;
}

Scratch::Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "egm2008-cli-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

Scratch::~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteGrid(const std::string& path, Shape shape, bool bigEndian,
               const std::function<float(std::int64_t, std::int64_t)>& value) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    std::string record(static_cast<std::size_t>((shape.columns + 2) * 4), '\0');
    const auto marker = static_cast<std::uint32_t>(4 * shape.columns);
    for (std::int64_t r = 0; r < shape.rows; ++r) {
        PutWord(record.data(), marker, bigEndian);
        for (std::int64_t c = 0; c < shape.columns; ++c) {
            std::uint32_t bits;
            const float v = value(r, c);
            std::memcpy(&bits, &v, 4);
            PutWord(record.data() + 4 + 4 * c, bits, bigEndian);
        }
        PutWord(record.data() + record.size() - 4, marker, bigEndian);
        file << record;
    }
}

void WriteConstantGrid10(const std::string& path, float value) {
    WriteGrid(path, k10, false, [value](std::int64_t, std::int64_t) { return value; });
}

void WriteZeroGrid(const std::string& path, Shape shape, bool bigEndian) {
    // Many records at a time: the 1' size has 933 MB to write.
    const auto recordBytes = static_cast<std::size_t>((shape.columns + 2) * 4);
    const std::int64_t perChunk = std::max<std::int64_t>(1, (8 << 20) / static_cast<std::int64_t>(recordBytes));
    std::string chunk(static_cast<std::size_t>(perChunk) * recordBytes, '\0');
    const auto marker = static_cast<std::uint32_t>(4 * shape.columns);
    for (std::size_t start = 0; start < chunk.size(); start += recordBytes) {
        PutWord(chunk.data() + start, marker, bigEndian);
        PutWord(chunk.data() + start + recordBytes - 4, marker, bigEndian);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (std::int64_t r = 0; r < shape.rows; r += perChunk) {
        const std::int64_t rows = std::min(perChunk, shape.rows - r);
        file.write(chunk.data(), static_cast<std::streamsize>(static_cast<std::size_t>(rows) * recordBytes));
    }
    file.close();
    if (file.fail()) throw std::runtime_error("cannot write " + path);
}

void PokeWord(const std::string& path, std::int64_t offset, std::uint32_t word, bool bigEndian) {
    char bytes[4];
    PutWord(bytes, word, bigEndian);
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(offset);
    file.write(bytes, 4);
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string TestData(const std::string& relative) {
    return std::string(EGM2008_TEST_DATA_DIR) + "/" + relative;
}

}  // namespace egm2008::cli::test
