// "Connection.info" is a text anyone can edit, and request values come from
// the user (nickname, password): neither may upset the table or the bodies.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/LogCapture.h"
#include "net/ConnectionFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    CConnectionFile& cf = CConnectionFile::Instance();
    cf.Reset("/nonexistent/Connection.info");
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    if (data[0] & 1) {
        cf.ApplyOverrides(text);
        for (const ConnectionEntry& e : ConnectionEndpointTable()) {
            const ConnectionEntry* now = cf.FindEntry(e.id);
            // URLs may change, parameter lists never.
            if (!now || now->paramIds != e.paramIds) std::abort();
        }
    } else {
        // A value for every parameter row, the text formatted by its row.
        CRequestParams p;
        for (const ConnectionParamDef& def : ConnectionParamTable()) {
            p.SetString(def.id, text.c_str());
            if (data[1] & 1) p.SetNumber(def.id, static_cast<uint32_t>(text.size()) * 2654435761u);
        }
        const ConnectionEntry& e =
            ConnectionEndpointTable()[(data[1] >> 1) % ConnectionEndpointTable().size()];
        cf.SetParams(p);
        uint32_t out = 0;
        auto body = cf.CreatePostData(e.id, out);
        if (body && out == 0) std::abort();
        cf.GetUrlWithQuery(e.id, &p);
    }
    qm::test::CapturedLogs().clear();
    return 0;
}
