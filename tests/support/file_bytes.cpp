#include "tests/support/file_bytes.hpp"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace egm2008::test {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string AwaitLine(int fd) {
    std::string line;
    while (line.empty() || line.back() != '\n') {
        pollfd ready{fd, POLLIN, 0};
        char c = 0;
        if (::poll(&ready, 1, 1000) != 1 || ::read(fd, &c, 1) != 1) return {};
        line.push_back(c);
    }
    return line;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.good()) throw std::runtime_error("cannot write " + path);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string TestData(const std::string& relative) {
    return std::string(EGM2008_TEST_DATA_DIR) + "/" + relative;
}

std::string RealGridPath(const std::string& name) {
    return std::string(EGM2008_GRID_DIR) + "/" + name;
}

}  // namespace egm2008::test
