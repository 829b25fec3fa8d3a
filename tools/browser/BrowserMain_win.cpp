// browser: stands in for the web browser under Wine. Every start appends the
// URL it was given, as it was given, to the record file and ends at once, so
// a test checks a web-page command by the URL that was opened.
//
//   browser.exe URL         records URL (the shell passes it quoted or not)
//   browser.exe /register   makes itself the "open" handler of http and https
//                           (Software\Classes of the user and the machine),
//                           the way a browser installs itself
//
// The record file is the one named by the environment variable
// QM_BROWSER_LOG (inherited from whoever opened the page), else
// "browser-urls.txt" beside the executable; one line per URL, CR LF.
#include <windows.h>

#include <cstring>
#include <string>

#include "common/FileHelpers.h"
#include "common/WinHandle.h"

namespace {

// What follows the program's own path on the command line.
std::string Arguments(const char* commandLine) {
    const char* p = commandLine;
    if (*p == '"') {
        p = std::strchr(p + 1, '"');
        p = p ? p + 1 : commandLine + std::strlen(commandLine);
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    std::string rest(p);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
    // One argument in quotes: the quotes are the shell's, not the URL's.
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
        rest = rest.substr(1, rest.size() - 2);
    return rest;
}

std::string RecordPath() {
    char buf[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableA("QM_BROWSER_LOG", buf, sizeof buf);
    if (n > 0 && n < sizeof buf) return buf;
    return GetExeFolder() + "browser-urls.txt";
}

bool Record(const std::string& url) {
    // Pages opened one after the other may overlap: one writer at a time.
    qm::CHandle mutex(::CreateMutexA(nullptr, FALSE, "QuillmarchStandInBrowser"));
    const DWORD waited = mutex ? ::WaitForSingleObject(mutex.Get(), 10000) : WAIT_FAILED;
    bool written = false;
    {
        qm::CFileHandle f(::CreateFileA(RecordPath().c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        const std::string line = url + "\r\n";
        DWORD n = 0;
        written = f &&
                  ::WriteFile(f.Get(), line.data(), static_cast<DWORD>(line.size()), &n, nullptr) &&
                  n == line.size();
    }
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ::ReleaseMutex(mutex.Get());
    return written;
}

// Sets a text value (null name: the key's default), making the key.
bool SetString(HKEY root, const std::string& key, const char* name, const std::string& value) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                          nullptr) != ERROR_SUCCESS)
        return false;
    qm::CRegKey owned(raw);
    return ::RegSetValueExA(owned.Get(), name, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool Register() {
    const std::string command = "\"" + GetExePath() + "\" \"%1\"";
    bool ok = true;
    // The user's classes win on Windows; Wine reads the machine's.
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const char* scheme : {"http", "https"}) {
            const std::string base = std::string("Software\\Classes\\") + scheme;
            ok = SetString(root, base, "URL Protocol", "") && ok;
            ok = SetString(root, base + "\\shell\\open\\command", nullptr, command) && ok;
        }
    }
    return ok;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string argument = Arguments(::GetCommandLineA());
    if (argument == "/register") return Register() ? 0 : 1;
    if (argument.empty()) return 2;
    return Record(argument) ? 0 : 1;
}
