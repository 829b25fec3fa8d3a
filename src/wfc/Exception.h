#pragma once
// The exceptions of the window library: failed system calls (carrying the
// GetLastError code) and out-of-memory.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <new>

namespace lib {
namespace wfc {

// Thrown by the out-of-memory handler that InitLibrary installs.
class bad_alloc : public std::bad_alloc {
public:
    const char* what() const noexcept override { return "メモリが不足しています。"; }
};

// A failed system call: the operation's name and its GetLastError code.
template <class E>
class CApiException : public E {
public:
    CApiException(const char* operation, DWORD code) : m_code(code) {
        std::snprintf(m_text, sizeof m_text, "%s ERR:0x%08X", operation ? operation : "",
                      static_cast<unsigned>(code));
    }
    const char* what() const noexcept override { return m_text; }
    DWORD Code() const { return m_code; }

private:
    DWORD m_code;
    char m_text[160];
};

// Turns failed API calls into exceptions derived from E. Throw logs the
// failure where it is detected before throwing.
template <class E>
class CWindowPolicyBase {
public:
    using Exception = CApiException<E>;

    [[noreturn]] static void Throw(const char* operation, DWORD code);
    // Throws with GetLastError() when ok is false.
    static void Check(bool ok, const char* operation) {
        if (!ok) Throw(operation, ::GetLastError());
    }
};

// Logs "<operation> ERR:0x%08X" as an error record of the diagnostic log.
void LogApiFailure(const char* operation, DWORD code);

template <class E>
void CWindowPolicyBase<E>::Throw(const char* operation, DWORD code) {
    LogApiFailure(operation, code);
    throw Exception(operation, code);
}

class CWindowPolicy : public CWindowPolicyBase<std::exception> {};

// What CWindow, CRegionWindow, CDIB and the GDI wrappers throw.
using CWindowException = CWindowPolicy::Exception;

}  // namespace wfc
}  // namespace lib
