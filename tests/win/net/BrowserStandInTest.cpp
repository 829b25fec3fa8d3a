// The recording stand-in browser: registered as the http/https handler, it
// writes down every URL the shell opens, byte for byte.
#include <windows.h>
#include <gtest/gtest.h>
// after windows.h, which it builds on
#include <shellapi.h>

#include "TestSupport.h"
#include "common/WinHandle.h"

TEST(BrowserStandIn, RecordsEveryUrlTheShellOpens) {
    const std::string browser = qmtest::BinFolder() + "browser.exe";
    const qmtest::ProcessResult registered = qmtest::RunProcess(browser, "/register");
    ASSERT_TRUE(registered.finished);
    ASSERT_EQ(registered.exitCode, 0u);
    const std::string record = qmtest::WorkFolder() + "browser-urls.txt";
    ::DeleteFileA(record.c_str());
    ASSERT_TRUE(::SetEnvironmentVariableA("QM_BROWSER_LOG", record.c_str()));

    const std::vector<std::string> urls = {
        "https://web.example.com/navigation/PcAppTop.html?fc=100&nick=a%20b%E5%A4%AA&ua=QM",
        "http://pcapp.example.com/download/Quillmarch_1002.exe"};
    for (const std::string& url : urls) {
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = "open";
        info.lpFile = url.c_str();
        info.nShow = SW_SHOWNORMAL;
        ASSERT_TRUE(::ShellExecuteExA(&info)) << url << " ERR " << ::GetLastError();
        ASSERT_GT(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
        ASSERT_NE(info.hProcess, nullptr) << "the handler ran as a process of its own";
        qm::CHandle process(info.hProcess);
        ASSERT_EQ(::WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
    }
    EXPECT_EQ(qmtest::SplitLines(qmtest::ReadFile(record)), urls);
    ::SetEnvironmentVariableA("QM_BROWSER_LOG", nullptr);
}
