#include "datafiles/PcLinkKey.h"

#include <cstring>

namespace {

// The three Triple-DES keys and the fixed block, kept as 16-bit pieces in a
// scrambled order so that no key appears whole in the program image. These
// values are the format's own: changing any of them makes every existing
// card file unreadable.
constexpr uint16_t kPieces[16] = {0x511E, 0x0EE6, 0xA0B9, 0x545A, 0xA598, 0x8ADF, 0x3F61, 0xE471,
                                  0xB8A1, 0x28F5, 0x76CE, 0xA34D, 0xDD8B, 0xE30A, 0xEB19, 0x0768};
// Where each piece goes: K1 takes order[0..3], K2 order[4..7], K3 order[8..11],
// the block order[12..15]; each piece is stored big-endian.
constexpr uint8_t kOrder[16] = {6, 10, 14, 2, 1, 9, 13, 5, 4, 8, 12, 0, 3, 11, 15, 7};

void Assemble(int which, uint8_t out[8]) {
    for (int i = 0; i < 4; ++i) {
        uint16_t piece = kPieces[kOrder[which * 4 + i]];
        out[i * 2] = static_cast<uint8_t>(piece >> 8);
        out[i * 2 + 1] = static_cast<uint8_t>(piece);
    }
}

}  // namespace

void DerivePcLinkKey(uint8_t key[8]) {
    uint8_t k1[8], k2[8], k3[8], block[8];
    Assemble(0, k1);
    Assemble(1, k2);
    Assemble(2, k3);
    Assemble(3, block);
    TripleDesEdeEncrypt(k1, k2, k3, block, key);
    for (int i = 0; i < 8; ++i) key[i] ^= block[i];
    // Leave no copy of the pieces on the stack.
    volatile uint8_t* wipe[] = {k1, k2, k3, block};
    for (auto* p : wipe)
        for (int i = 0; i < 8; ++i) p[i] = 0;
}

CDes MakePcLinkCipher() {
    uint8_t key[8];
    DerivePcLinkKey(key);
    CDes des(key);
    volatile uint8_t* p = key;
    for (int i = 0; i < 8; ++i) p[i] = 0;
    return des;
}
