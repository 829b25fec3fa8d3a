#include "datafiles/CrcCalc.h"

#include <array>

namespace {

constexpr uint16_t kReflectedPoly = 0x8408;  // 0x1021 with its bits reversed

constexpr std::array<uint16_t, 256> MakeTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t crc = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? static_cast<uint16_t>((crc >> 1) ^ kReflectedPoly)
                             : static_cast<uint16_t>(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr std::array<uint16_t, 256> kTable = MakeTable();

}  // namespace

void CCrcCalc::Update(const void* data, size_t len) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < len; ++i)
        m_crc = static_cast<uint16_t>((m_crc >> 8) ^ kTable[(m_crc ^ p[i]) & 0xFFu]);
}

uint16_t CCrcCalc::Calc(const void* data, size_t len) {
    CCrcCalc crc;
    crc.Update(data, len);
    return crc.Value();
}
