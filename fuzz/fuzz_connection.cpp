// "Connection.info" is a text anyone can edit, and request values come from
// the user (nickname, password): neither may upset the table or the bodies.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/ConnectionTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    CConnectionTable cf;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    if (data[0] & 1) {
        cf.ApplyOverrides(text);
        for (const ConnectionEntry& e : ConnectionEndpointTable()) {
            const ConnectionEntry* now = cf.Find(e.id);
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
        const RequestBody body = cf.BuildPostData(e.id, p);
        if (body.Ok() == body.bytes.empty()) std::abort();
        if (FormBodyForLog(body.bytes).size() > 1023) std::abort();
        cf.GetUrlWithQuery(e.id, p);
    }
    return 0;
}
