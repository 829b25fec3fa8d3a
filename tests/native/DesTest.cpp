#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datafiles/CrcCalc.h"
#include "datafiles/Des.h"

namespace {

std::vector<uint8_t> Hex(const char* hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        out.push_back(static_cast<uint8_t>(std::stoul(std::string(hex + i, 2), nullptr, 16)));
    return out;
}

std::string ToHex(const uint8_t* p, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

}  // namespace

// The standard's own example (FIPS 81). The PC-link golden file, checked
// with an independent DES, runs the cipher over fifty more blocks.
TEST(Des, CbcMatchesFips81Example) {
    auto key = Hex("0123456789abcdef"), iv = Hex("1234567890abcdef");
    // A partial last block is left alone.
    std::string text = "Now is the time for all ???";
    std::vector<uint8_t> data(text.begin(), text.end());
    CDes des(key.data());
    des.CbcEncrypt(iv.data(), data.data(), data.size());
    EXPECT_EQ(ToHex(data.data(), data.size()),
              "e5c7cdde872bf27c43e934008c389c0f683788499a7c05f63f3f3f");
    des.CbcDecrypt(iv.data(), data.data(), data.size());
    EXPECT_EQ(std::string(data.begin(), data.end()), text);
}

TEST(CrcCalc, X25CheckValues) {
    EXPECT_EQ(CCrcCalc::Calc("123456789", 9), 0x906E);
    EXPECT_EQ(CCrcCalc::Calc("", 0), 0x0000);  // ~0xFFFF
    // Incremental use gives the same value as one call.
    CCrcCalc crc;
    crc.Update("1234", 4);
    crc.Update("56789", 5);
    EXPECT_EQ(crc.Value(), 0x906E);
}
