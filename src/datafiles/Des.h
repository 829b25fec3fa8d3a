#pragma once
// DES (FIPS 46) and the two modes the card files use: cipher-block chaining
// without padding, and Triple-DES in encrypt-decrypt-encrypt order for the
// key derivation. Blocks are 8 bytes, most significant bit first.
#include <cstddef>
#include <cstdint>

class CDes {
public:
    static constexpr size_t kBlockSize = 8;

    // The 8-byte key; the parity bits (the low bit of each byte) are ignored.
    explicit CDes(const uint8_t key[kBlockSize]);

    void EncryptBlock(const uint8_t in[kBlockSize], uint8_t out[kBlockSize]) const;
    void DecryptBlock(const uint8_t in[kBlockSize], uint8_t out[kBlockSize]) const;

    // In place over len bytes; len must be a multiple of 8 (a trailing
    // partial block is left untouched). Each call starts its chain from iv.
    void CbcEncrypt(const uint8_t iv[kBlockSize], uint8_t* data, size_t len) const;
    void CbcDecrypt(const uint8_t iv[kBlockSize], uint8_t* data, size_t len) const;

private:
    uint64_t Crypt(uint64_t block, bool decrypt) const;

    uint64_t m_subkeys[16];  // 48-bit round keys, right-aligned
};

// One block through Triple-DES: encrypt under k1, decrypt under k2, encrypt
// under k3.
void TripleDesEdeEncrypt(const uint8_t k1[8], const uint8_t k2[8], const uint8_t k3[8],
                         const uint8_t in[8], uint8_t out[8]);
