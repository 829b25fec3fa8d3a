// The native stand-in of the whole-file reader, over the C library.
#include <cerrno>
#include <cstdio>

#include "common/WholeFile.h"

WholeFileResult ReadWholeFile(const std::string& path, std::string& out,
                              const WholeFileOptions& options) {
    WholeFileResult r;
    out.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        r.status = errno == ENOENT ? WholeFileStatus::kMissing : WholeFileStatus::kOpenFailed;
        r.error = static_cast<uint32_t>(errno);
        return r;
    }
    char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) {
        out.append(buf, got);
        if (out.size() > options.maxSize) {
            r.status = WholeFileStatus::kTooLarge;
            break;
        }
    }
    if (r.Ok() && std::ferror(f)) {
        r.status = WholeFileStatus::kReadFailed;
        r.error = static_cast<uint32_t>(errno);
    }
    r.size = out.size();
    if (!r.Ok()) out.clear();
    std::fclose(f);
    return r;
}
