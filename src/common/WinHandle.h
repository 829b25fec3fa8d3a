#pragma once
// Move-only owners for the kernel handles the application frame uses. The
// window library has its own for windows and GDI objects.
#include <windows.h>

#include <utility>

namespace qm {

template <typename Traits>
class CUniqueHandle {
public:
    using handle_type = typename Traits::handle_type;

    CUniqueHandle() = default;
    explicit CUniqueHandle(handle_type h) : m_h(h) {}
    ~CUniqueHandle() { Reset(); }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    handle_type Get() const { return m_h; }
    bool Valid() const { return m_h != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    handle_type Release() { return std::exchange(m_h, Traits::Invalid()); }
    void Reset(handle_type h = Traits::Invalid()) {
        if (Valid()) Traits::Close(m_h);
        m_h = h;
    }

private:
    handle_type m_h = Traits::Invalid();
};

struct KernelHandleTraits {  // events, mutexes, threads, processes, mappings
    using handle_type = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile answers INVALID_HANDLE_VALUE
    using handle_type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using handle_type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
struct RegKeyTraits {
    using handle_type = HKEY;
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};

using CHandle = CUniqueHandle<KernelHandleTraits>;
using CFileHandle = CUniqueHandle<FileHandleTraits>;
using CFindHandle = CUniqueHandle<FindHandleTraits>;
using CRegKey = CUniqueHandle<RegKeyTraits>;

// Holds an acquired mutex until the end of the scope.
class CMutexLock {
public:
    explicit CMutexLock(HANDLE mutex) : m_mutex(mutex) {}
    ~CMutexLock() {
        if (m_mutex) ::ReleaseMutex(m_mutex);
    }
    CMutexLock(const CMutexLock&) = delete;
    CMutexLock& operator=(const CMutexLock&) = delete;

private:
    HANDLE m_mutex;
};

}  // namespace qm
