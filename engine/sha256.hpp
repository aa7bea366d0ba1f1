// SHA-256 (FIPS 180-4), to tell a grid file from the copies the set-up makes.
//
// Feed the bytes in any number of pieces with Update, then take the digest
// once with Finish; the object is then spent until Reset. Lengths up to
// 2^61 - 1 bytes. Not constant-time, and no use for secrets: it only names
// file contents. One object serves one thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace egm2008::engine {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256() { Reset(); }
    /// Starts a new message.
    void Reset();
    /// Appends `size` bytes at `data` to the message.
    void Update(const void* data, std::size_t size);
    /// Pads the message and returns its digest.
    Digest Finish();

    /// The digest as 64 lowercase hexadecimal digits, as sha256sum prints it.
    static std::string Hex(const Digest& digest);

private:
    void Compress(const std::uint8_t block[64]);

    std::array<std::uint32_t, 8> state_{};
    std::array<std::uint8_t, 64> block_{};
    std::size_t used_ = 0;      ///< bytes waiting in block_
    std::uint64_t length_ = 0;  ///< bytes of the message so far
};

}  // namespace egm2008::engine
