#pragma once
// Little-endian fields of the card and PC record files.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

inline uint16_t GetLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A text field of width bytes: up to the first zero, or all of it.
inline std::string GetTextField(const uint8_t* p, size_t width) {
    size_t n = 0;
    while (n < width && p[n]) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}
// Stores text zero-padded; a text of width bytes or more fills the field
// without a terminator when terminated is false, else is cut to width - 1.
inline void PutTextField(uint8_t* p, size_t width, const std::string& text, bool terminated) {
    std::memset(p, 0, width);
    size_t n = text.size();
    size_t limit = terminated ? width - 1 : width;
    if (n > limit) n = limit;
    std::memcpy(p, text.data(), n);
}
