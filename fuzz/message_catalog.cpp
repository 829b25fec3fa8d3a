// Result codes come from the core process and the web service: any code,
// error and card values must give a text (or none) without fault, and a
// text with a code marker must end with the code.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/CoreBridge.h"
#include "common/MessageCatalog.h"

namespace {
uint32_t Take(const uint8_t*& data, size_t& size) {
    uint32_t v = 0;
    for (int i = 0; i < 4 && size; ++i, ++data, --size) v = (v << 8) | *data;
    return v;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint32_t code = Take(data, size);
    const uint32_t err = Take(data, size);
    const uint32_t attribute = Take(data, size);
    const uint32_t model = Take(data, size);
    unsigned style = 0xDEAD;
    const std::string text = GetMessageText(code, err, style, attribute, model);
    if (text.empty() != (style == 0xDEAD)) std::abort();
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(code));
    if (text.find("(") != std::string::npos && text.find(hex) == std::string::npos &&
        text.find("%08X") != std::string::npos)
        std::abort();  // a marker left unfilled

    // The command line builders take any mask and model.
    const std::string params =
        BuildCoreParameters('C', code, static_cast<int32_t>(err), static_cast<int>(model));
    const std::string head = " /d C /w " + std::string(hex) + " /p";
    if (params.compare(0, head.size(), head) != 0) std::abort();
    (void)BuildMusicParameters('Z', attribute, (model & 1) != 0);
    return 0;
}
