#include "common/CodePage.h"

#include <iconv.h>

#include <vector>

namespace {
// Converts between CP932 and wchar_t (UTF-32 here); unconvertible input is
// dropped byte by byte, as the Windows calls replace it.
template <typename In, typename Out>
Out Convert(const In& in, const char* to, const char* from) {
    Out out;
    if (in.empty()) return out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    std::vector<char> src(reinterpret_cast<const char*>(in.data()),
                          reinterpret_cast<const char*>(in.data()) + in.size() * sizeof(in[0]));
    std::vector<char> dst(src.size() * 4 + 16);
    char* ip = src.data();
    size_t il = src.size();
    char* op = dst.data();
    size_t ol = dst.size();
    while (il > 0) {
        if (iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1)) break;
        size_t skip = sizeof(in[0]) < il ? sizeof(in[0]) : il;
        ip += skip;
        il -= skip;
    }
    iconv_close(cd);
    size_t bytes = dst.size() - ol;
    out.assign(reinterpret_cast<const typename Out::value_type*>(dst.data()),
               bytes / sizeof(typename Out::value_type));
    return out;
}
}  // namespace

std::wstring AnsiToWide(const std::string& text) {
    return Convert<std::string, std::wstring>(text, "WCHAR_T", "CP932");
}

std::string WideToAnsi(const std::wstring& text) {
    return Convert<std::wstring, std::string>(text, "CP932", "WCHAR_T");
}
