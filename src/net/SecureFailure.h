#pragma once
// What a failed certificate check of the service's connection means, in words
// for the log. The engine learns the reasons as WinHTTP's secure-failure
// flags (a status callback) or, where no callback comes, only as the error of
// the failed call; both are turned into the same flags here.
#include <cstdint>
#include <string>

// WinHTTP's secure-failure flags (WINHTTP_CALLBACK_STATUS_FLAG_*).
constexpr uint32_t kSecureRevocationFailed = 0x00000001;
constexpr uint32_t kSecureInvalidCert = 0x00000002;
constexpr uint32_t kSecureRevoked = 0x00000004;
constexpr uint32_t kSecureUntrustedRoot = 0x00000008;
constexpr uint32_t kSecureWrongName = 0x00000010;
constexpr uint32_t kSecureDateInvalid = 0x00000020;
constexpr uint32_t kSecureWrongUsage = 0x00000040;
constexpr uint32_t kSecureChannelError = 0x80000000;

// The flags a WinHTTP error stands for (ERROR_WINHTTP_SECURE_*: 12037 date,
// 12038 name, 12045 authority, 12057 revocation check, 12157 channel, 12169
// certificate, 12170 revoked, 12179 usage); 0 for 12175 (the flags tell)
// and for any other error.
uint32_t SecureFlagsOfError(uint32_t error);
// True for the errors of a secure connection that was refused (the ones
// above and 12175, "secure failure").
bool IsSecureFailure(uint32_t error);
// "untrusted root, wrong name": one phrase per flag set, in flag order;
// unknown bits as "flags 0x........"; "no reason given" for none.
std::string DescribeSecureFailure(uint32_t flags);
// True when the only reason is that revocation could not be checked (no list
// or responder reachable): the connection is taken, and that is logged.
inline bool OnlyRevocationUnknown(uint32_t flags) { return flags == kSecureRevocationFailed; }
