#include "engine/sha256.hpp"

#include <bit>
#include <cstring>

namespace egm2008::engine {

namespace {

// The first 32 bits of the fractional parts of the cube roots of the first 64 primes.
constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// The first 32 bits of the fractional parts of the square roots of the first 8 primes.
constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

std::uint32_t BigEndianWord(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

}  // namespace

void Sha256::Reset() {
    std::memcpy(state_.data(), kInitial, sizeof kInitial);
    used_ = 0;
    length_ = 0;
}

void Sha256::Compress(const std::uint8_t block[64]) {
    std::uint32_t w[64];
    for (int t = 0; t < 16; ++t) w[t] = BigEndianWord(block + 4 * t);
    for (int t = 16; t < 64; ++t) {
        const std::uint32_t s0 =
            std::rotr(w[t - 15], 7) ^ std::rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
        const std::uint32_t s1 =
            std::rotr(w[t - 2], 17) ^ std::rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
        w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }
    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    std::uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
    for (int t = 0; t < 64; ++t) {
        const std::uint32_t sum1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
        const std::uint32_t choose = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + sum1 + choose + kRound[t] + w[t];
        const std::uint32_t sum0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = sum0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
    state_[5] += f;
    state_[6] += g;
    state_[7] += h;
}

void Sha256::Update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    length_ += size;
    if (used_ > 0) {
        const std::size_t take = size < 64 - used_ ? size : 64 - used_;
        std::memcpy(block_.data() + used_, bytes, take);
        used_ += take;
        bytes += take;
        size -= take;
        if (used_ < 64) return;
        Compress(block_.data());
        used_ = 0;
    }
    for (; size >= 64; bytes += 64, size -= 64) Compress(bytes);
    if (size > 0) std::memcpy(block_.data(), bytes, size);
    used_ = size;
}

Sha256::Digest Sha256::Finish() {
    // A one bit, zeros up to 56 bytes into the last block, then the length in bits.
    const std::uint64_t bits = length_ * 8;
    const std::uint8_t one = 0x80;
    const std::uint8_t zeros[64] = {};
    Update(&one, 1);
    Update(zeros, used_ <= 56 ? 56 - used_ : 120 - used_);
    std::uint8_t tail[8];
    for (int k = 0; k < 8; ++k) tail[k] = static_cast<std::uint8_t>(bits >> (56 - 8 * k));
    Update(tail, 8);

    Digest digest;
    for (int k = 0; k < 8; ++k) {
        for (int b = 0; b < 4; ++b) {
            digest[static_cast<std::size_t>(4 * k + b)] =
                static_cast<std::uint8_t>(state_[static_cast<std::size_t>(k)] >> (24 - 8 * b));
        }
    }
    return digest;
}

std::string Sha256::Hex(const Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(64);
    for (std::uint8_t byte : digest) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

}  // namespace egm2008::engine
