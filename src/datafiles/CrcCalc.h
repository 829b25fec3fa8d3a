#pragma once
// The 16-bit checksum of the card files: CRC-16/X-25 (polynomial 0x1021
// processed bit-reversed, start 0xFFFF, result complemented). The check value
// of "123456789" is 0x906E.
#include <cstddef>
#include <cstdint>

class CCrcCalc {
public:
    CCrcCalc() = default;

    void Update(const void* data, size_t len);
    uint16_t Value() const { return static_cast<uint16_t>(~m_crc); }

    static uint16_t Calc(const void* data, size_t len);

private:
    uint16_t m_crc = 0xFFFF;
};
