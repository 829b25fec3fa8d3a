#include "datafiles/Des.h"

#include <cstring>

namespace {

// The permutation tables number bits from 1 = most significant, as the
// standard prints them.
constexpr uint8_t kInitialPerm[64] = {58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
                                      62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
                                      57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
                                      61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};
constexpr uint8_t kFinalPerm[64] = {40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
                                    38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
                                    36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
                                    34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9,  49, 17, 57, 25};
// The expansion E (32, 1..5, 4..9, ..., 28..32, 1) takes six bits of the
// right half for every S-box, starting one bit before each group of four;
// Feistel() reads them by rotating instead of through a table.
constexpr uint8_t kRoundPerm[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                                    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};
constexpr uint8_t kKeyPerm1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
                                   10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
                                   63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
                                   14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};
constexpr uint8_t kKeyPerm2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
                                   26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
                                   51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};
constexpr uint8_t kKeyShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

// clang-format off
constexpr uint8_t kSBoxes[8][64] = {
    {14,  4, 13,  1,  2, 15, 11,  8,  3, 10,  6, 12,  5,  9,  0,  7,
      0, 15,  7,  4, 14,  2, 13,  1, 10,  6, 12, 11,  9,  5,  3,  8,
      4,  1, 14,  8, 13,  6,  2, 11, 15, 12,  9,  7,  3, 10,  5,  0,
     15, 12,  8,  2,  4,  9,  1,  7,  5, 11,  3, 14, 10,  0,  6, 13},
    {15,  1,  8, 14,  6, 11,  3,  4,  9,  7,  2, 13, 12,  0,  5, 10,
      3, 13,  4,  7, 15,  2,  8, 14, 12,  0,  1, 10,  6,  9, 11,  5,
      0, 14,  7, 11, 10,  4, 13,  1,  5,  8, 12,  6,  9,  3,  2, 15,
     13,  8, 10,  1,  3, 15,  4,  2, 11,  6,  7, 12,  0,  5, 14,  9},
    {10,  0,  9, 14,  6,  3, 15,  5,  1, 13, 12,  7, 11,  4,  2,  8,
     13,  7,  0,  9,  3,  4,  6, 10,  2,  8,  5, 14, 12, 11, 15,  1,
     13,  6,  4,  9,  8, 15,  3,  0, 11,  1,  2, 12,  5, 10, 14,  7,
      1, 10, 13,  0,  6,  9,  8,  7,  4, 15, 14,  3, 11,  5,  2, 12},
    { 7, 13, 14,  3,  0,  6,  9, 10,  1,  2,  8,  5, 11, 12,  4, 15,
     13,  8, 11,  5,  6, 15,  0,  3,  4,  7,  2, 12,  1, 10, 14,  9,
     10,  6,  9,  0, 12, 11,  7, 13, 15,  1,  3, 14,  5,  2,  8,  4,
      3, 15,  0,  6, 10,  1, 13,  8,  9,  4,  5, 11, 12,  7,  2, 14},
    { 2, 12,  4,  1,  7, 10, 11,  6,  8,  5,  3, 15, 13,  0, 14,  9,
     14, 11,  2, 12,  4,  7, 13,  1,  5,  0, 15, 10,  3,  9,  8,  6,
      4,  2,  1, 11, 10, 13,  7,  8, 15,  9, 12,  5,  6,  3,  0, 14,
     11,  8, 12,  7,  1, 14,  2, 13,  6, 15,  0,  9, 10,  4,  5,  3},
    {12,  1, 10, 15,  9,  2,  6,  8,  0, 13,  3,  4, 14,  7,  5, 11,
     10, 15,  4,  2,  7, 12,  9,  5,  6,  1, 13, 14,  0, 11,  3,  8,
      9, 14, 15,  5,  2,  8, 12,  3,  7,  0,  4, 10,  1, 13, 11,  6,
      4,  3,  2, 12,  9,  5, 15, 10, 11, 14,  1,  7,  6,  0,  8, 13},
    { 4, 11,  2, 14, 15,  0,  8, 13,  3, 12,  9,  7,  5, 10,  6,  1,
     13,  0, 11,  7,  4,  9,  1, 10, 14,  3,  5, 12,  2, 15,  8,  6,
      1,  4, 11, 13, 12,  3,  7, 14, 10, 15,  6,  8,  0,  5,  9,  2,
      6, 11, 13,  8,  1,  4, 10,  7,  9,  5,  0, 15, 14,  2,  3, 12},
    {13,  2,  8,  4,  6, 15, 11,  1, 10,  9,  3, 14,  5,  0, 12,  7,
      1, 15, 13,  8, 10,  3,  7,  4, 12,  5,  6, 11,  0, 14,  9,  2,
      7, 11,  4,  1,  9, 12, 14,  2,  0,  6, 10, 13, 15,  3,  5,  8,
      2,  1, 14,  7,  4, 10,  8, 13, 15, 12,  9,  0,  3,  5,  6, 11}
};
// clang-format on

// Picks bits of an inWidth-bit value (right-aligned) into a new value, the
// table's first entry becoming the most significant output bit.
uint64_t Permute(uint64_t in, int inWidth, const uint8_t* table, int outWidth) {
    uint64_t out = 0;
    for (int i = 0; i < outWidth; ++i) out = (out << 1) | ((in >> (inWidth - table[i])) & 1u);
    return out;
}

uint64_t Load64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
    return v;
}

void Store64(uint64_t v, uint8_t* p) {
    for (int i = 7; i >= 0; --i) {
        p[i] = static_cast<uint8_t>(v);
        v >>= 8;
    }
}

uint32_t Rotate28(uint32_t v, int n) { return ((v << n) | (v >> (28 - n))) & 0x0FFFFFFFu; }

uint32_t RotateLeft32(uint32_t v, unsigned n) {
    n &= 31u;
    return n ? (v << n) | (v >> (32 - n)) : v;
}

// Lookup tables made once from the standard's tables: each S-box with the
// round permutation applied to its output, and the initial and final
// permutations byte by byte. The bit-wise Permute above stays the reference.
struct DesTables {
    uint32_t sp[8][64];
    uint64_t ip[8][256];
    uint64_t fp[8][256];

    DesTables() {
        for (int box = 0; box < 8; ++box)
            for (unsigned six = 0; six < 64; ++six) {
                // Outer bits pick the row, inner four bits the column.
                unsigned row = ((six >> 4) & 2u) | (six & 1u);
                unsigned col = (six >> 1) & 0xFu;
                uint32_t out = static_cast<uint32_t>(kSBoxes[box][row * 16 + col])
                               << (28 - 4 * box);
                sp[box][six] = static_cast<uint32_t>(Permute(out, 32, kRoundPerm, 32));
            }
        for (int pos = 0; pos < 8; ++pos)
            for (unsigned b = 0; b < 256; ++b) {
                uint64_t in = static_cast<uint64_t>(b) << (56 - 8 * pos);
                ip[pos][b] = Permute(in, 64, kInitialPerm, 64);
                fp[pos][b] = Permute(in, 64, kFinalPerm, 64);
            }
    }
};

const DesTables& Tables() {
    static const DesTables tables;
    return tables;
}

uint64_t PermuteByTable(uint64_t in, const uint64_t (&table)[8][256]) {
    uint64_t out = 0;
    for (int pos = 0; pos < 8; ++pos) out |= table[pos][(in >> (56 - 8 * pos)) & 0xFFu];
    return out;
}

uint32_t Feistel(const DesTables& t, uint32_t right, uint64_t subkey) {
    uint32_t out = 0;
    for (unsigned box = 0; box < 8; ++box) {
        // The expansion: group i is six bits of R starting at bit 4i, cyclically.
        unsigned group = (RotateLeft32(right, 4 * box + 31) >> 26) & 0x3Fu;
        unsigned key = static_cast<unsigned>((subkey >> (42 - 6 * box)) & 0x3Fu);
        out |= t.sp[box][group ^ key];
    }
    return out;
}

}  // namespace

CDes::CDes(const uint8_t key[kBlockSize]) {
    uint64_t cd = Permute(Load64(key), 64, kKeyPerm1, 56);
    uint32_t c = static_cast<uint32_t>(cd >> 28) & 0x0FFFFFFFu;
    uint32_t d = static_cast<uint32_t>(cd) & 0x0FFFFFFFu;
    for (int round = 0; round < 16; ++round) {
        c = Rotate28(c, kKeyShifts[round]);
        d = Rotate28(d, kKeyShifts[round]);
        uint64_t joined = (static_cast<uint64_t>(c) << 28) | d;
        m_subkeys[round] = Permute(joined, 56, kKeyPerm2, 48);
    }
}

uint64_t CDes::Crypt(uint64_t block, bool decrypt) const {
    const DesTables& t = Tables();
    uint64_t ip = PermuteByTable(block, t.ip);
    uint32_t left = static_cast<uint32_t>(ip >> 32);
    uint32_t right = static_cast<uint32_t>(ip);
    for (int round = 0; round < 16; ++round) {
        uint32_t next = left ^ Feistel(t, right, m_subkeys[decrypt ? 15 - round : round]);
        left = right;
        right = next;
    }
    // The halves are swapped once more before the final permutation.
    uint64_t preout = (static_cast<uint64_t>(right) << 32) | left;
    return PermuteByTable(preout, t.fp);
}

void CDes::EncryptBlock(const uint8_t in[kBlockSize], uint8_t out[kBlockSize]) const {
    Store64(Crypt(Load64(in), false), out);
}

void CDes::DecryptBlock(const uint8_t in[kBlockSize], uint8_t out[kBlockSize]) const {
    Store64(Crypt(Load64(in), true), out);
}

void CDes::CbcEncrypt(const uint8_t iv[kBlockSize], uint8_t* data, size_t len) const {
    uint64_t chain = Load64(iv);
    for (size_t off = 0; off + kBlockSize <= len; off += kBlockSize) {
        chain = Crypt(Load64(data + off) ^ chain, false);
        Store64(chain, data + off);
    }
}

void CDes::CbcDecrypt(const uint8_t iv[kBlockSize], uint8_t* data, size_t len) const {
    uint64_t chain = Load64(iv);
    for (size_t off = 0; off + kBlockSize <= len; off += kBlockSize) {
        uint64_t cipher = Load64(data + off);
        Store64(Crypt(cipher, true) ^ chain, data + off);
        chain = cipher;
    }
}

void TripleDesEdeEncrypt(const uint8_t k1[8], const uint8_t k2[8], const uint8_t k3[8],
                         const uint8_t in[8], uint8_t out[8]) {
    uint8_t a[8], b[8];
    CDes(k1).EncryptBlock(in, a);
    CDes(k2).DecryptBlock(a, b);
    CDes(k3).EncryptBlock(b, out);
}
