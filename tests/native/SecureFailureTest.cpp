#include <gtest/gtest.h>

#include "net/SecureFailure.h"

// Each WinHTTP secure error, its neighbours, and the one without a flag.
TEST(SecureFailure, ErrorsAndTheirFlags) {
    const struct {
        uint32_t error, flags;
        bool secure;
    } cases[] = {
        {12037, kSecureDateInvalid, true},
        {12038, kSecureWrongName, true},
        {12045, kSecureUntrustedRoot, true},
        {12057, kSecureRevocationFailed, true},
        {12157, kSecureChannelError, true},
        {12169, kSecureInvalidCert, true},
        {12170, kSecureRevoked, true},
        {12179, kSecureWrongUsage, true},
        {12175, 0, true},
        {12036, 0, false},
        {12039, 0, false},
        {12044, 0, false},
        {12174, 0, false},
        {12176, 0, false},
        {0, 0, false},
        {0x100000u | 12175u, 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SecureFlagsOfError(c.error), c.flags) << c.error;
        EXPECT_EQ(IsSecureFailure(c.error), c.secure) << c.error;
    }
}

// Every flag's words, in their order, come with all bits set (the last row).
TEST(SecureFailure, WordsForEveryFlagInOrderAndUnknownBits) {
    const struct {
        uint32_t flags;
        const char* words;
    } cases[] = {
        {0, "no reason given"},
        {kSecureRevoked, "revoked"},
        {kSecureWrongName | kSecureUntrustedRoot, "untrusted root, wrong name"},
        {0x00000100, "flags 0x00000100"},
        {0x7FFFFF80 | kSecureDateInvalid, "expired or not yet valid, flags 0x7FFFFF80"},
        {0xFFFFFFFF,
         "revocation check failed, invalid certificate, revoked, untrusted root, wrong name, "
         "expired or not yet valid, wrong usage, security channel error, flags 0x7FFFFF80"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribeSecureFailure(c.flags), c.words) << c.flags;
}

TEST(SecureFailure, OnlyAnUnknownRevocationStatusIsTaken) {
    EXPECT_TRUE(OnlyRevocationUnknown(kSecureRevocationFailed));
    EXPECT_FALSE(OnlyRevocationUnknown(0));
    EXPECT_FALSE(OnlyRevocationUnknown(kSecureRevocationFailed | kSecureRevoked));
    EXPECT_FALSE(OnlyRevocationUnknown(kSecureRevocationFailed | kSecureUntrustedRoot));
    EXPECT_FALSE(OnlyRevocationUnknown(kSecureRevoked));
}
