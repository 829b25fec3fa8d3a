#include "net/SecureFailure.h"

#include <cstdio>

namespace {

constexpr uint32_t kSecureFailureError = 12175;

struct Reason {
    uint32_t flag;
    uint32_t error;
    const char* words;
};
constexpr Reason kReasons[] = {
    {kSecureRevocationFailed, 12057, "revocation check failed"},
    {kSecureInvalidCert, 12169, "invalid certificate"},
    {kSecureRevoked, 12170, "revoked"},
    {kSecureUntrustedRoot, 12045, "untrusted root"},
    {kSecureWrongName, 12038, "wrong name"},
    {kSecureDateInvalid, 12037, "expired or not yet valid"},
    {kSecureWrongUsage, 12179, "wrong usage"},
    {kSecureChannelError, 12157, "security channel error"},
};

}  // namespace

uint32_t SecureFlagsOfError(uint32_t error) {
    for (const Reason& r : kReasons)
        if (r.error == error) return r.flag;
    return 0;
}

bool IsSecureFailure(uint32_t error) {
    return error == kSecureFailureError || SecureFlagsOfError(error) != 0;
}

std::string DescribeSecureFailure(uint32_t flags) {
    std::string text;
    uint32_t known = 0;
    for (const Reason& r : kReasons) {
        known |= r.flag;
        if (!(flags & r.flag)) continue;
        if (!text.empty()) text += ", ";
        text += r.words;
    }
    if (flags & ~known) {
        char rest[24];
        std::snprintf(rest, sizeof rest, "flags 0x%08X", static_cast<unsigned>(flags & ~known));
        if (!text.empty()) text += ", ";
        text += rest;
    }
    return text.empty() ? "no reason given" : text;
}
