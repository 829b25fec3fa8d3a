#pragma once
// The first-run window's rules that need no window: what a nickname may hold,
// the hint shown when typed text is refused, when OK may be pressed, and how
// the authentication worker turns the engine's and the service's answers into
// its result codes.
#include <cstdint>
#include <string>

// The edit limits of the two text boxes.
constexpr size_t kNickNameLimit = 20;
constexpr size_t kPasswordLimit = 8;

// Why a nickname is refused. The user list stores its fields unquoted and
// separated by commas, so a comma, or a double quote at the start of the
// field, would corrupt the line the nickname is stored in.
enum class NickNameProblem {
    kNone,
    kDoubleByte,    // a character outside single-byte input
    kTooLong,       // more than kNickNameLimit characters
    kComma,         // ","
    kLeadingQuote,  // '"' as the first character
};

// The first problem of a text (code page 932), kNone when it may stand in
// the nickname box. Printable ASCII and half-width katakana are single-byte
// input; control characters count as outside it.
NickNameProblem CheckNickName(const std::string& text);

// The hint the window shows under the box after refusing input (code page
// 932); empty for kNone.
std::string NickNameHint(NickNameProblem problem);

// OK is enabled exactly when both texts are filled and no worker runs.
inline bool IsOkEnabled(const std::string& nickname, const std::string& password,
                        bool workerRunning) {
    return !nickname.empty() && !password.empty() && !workerRunning;
}

// The worker's result codes of its own.
constexpr uint32_t kAuthOk = 0;
constexpr uint32_t kAuthCancelled = 0xFF00;
constexpr uint32_t kAuthNoCard = 0xFF06;
constexpr uint32_t kAuthNoBody = 0x40FF05;
constexpr uint32_t kAuthWaitFailed = 0x40FFFF;
constexpr uint32_t kAuthTransportFlag = 0x100000;
constexpr uint32_t kAuthServiceFlag = 0x200000;
constexpr uint32_t kAuthUserListFailed = 0x400001;
constexpr uint32_t kAuthNoWindow = 255;
// The message area of authentication outcomes.
constexpr uint32_t kAuthMessageArea = 0x40000000;

// The engine ended with r (an HTTP status carries bit 28): 0x100000 | r
// without bit 28.
uint32_t AuthResultFromEngine(uint32_t engineResult);
// The answer analysed to a (non-zero) code: 0x200000 | a without bit 31.
uint32_t AuthResultFromAnalysis(uint32_t analysis);
