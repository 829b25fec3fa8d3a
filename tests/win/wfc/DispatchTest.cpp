// Dispatch of the window library: the current message across nested sends,
// deferred deletion, subclassing, the modal loop and placement; driven by
// sent and posted messages only.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "wfc/Library.h"
#include "wfc/Window.h"

using lib::wfc::CurrentMessage;
using lib::wfc::CWindow;

namespace {

constexpr UINT kNested = WM_APP + 1;
constexpr UINT kFinish = WM_APP + 2;

const RECT kRect = {10, 10, 210, 110};
const char* const kNoClass = nullptr;  // the library's default class

// What a handler saw of the current message: message, wParam, lParam, depth.
using Seen = std::tuple<UINT, WPARAM, LPARAM, int>;
Seen Now() {
    const CurrentMessage* c = CWindow::GetCurrentMessage();
    if (!c) return {0, 0, 0, CWindow::GetDispatchDepth()};
    return {c->message, c->wParam, c->lParam, CWindow::GetDispatchDepth()};
}

class CNestingWindow : public CWindow {
public:
    std::vector<Seen> seen;
    void OnLButtonDown(UINT, int, int) override {
        seen.push_back(Now());
        SendMessage(kNested, 7, 8);
        seen.push_back(Now());
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kNested) {
            seen.push_back(Now());
            return 0;
        }
        return CWindow::WindowProc(message, wParam, lParam);
    }
};

TEST(Dispatch, NestedSendRestoresTheOuterCurrentMessage) {
    CNestingWindow window;
    window.Create(0, kNoClass, "nest", WS_POPUP, kRect, nullptr);
    ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    const std::vector<Seen> expected = {
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4), 1},
        {kNested, 7, 8, 2},
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4), 1},
    };
    EXPECT_EQ(expected, window.seen);
    EXPECT_EQ(nullptr, CWindow::GetCurrentMessage());
    EXPECT_EQ(0, CWindow::GetDispatchDepth());
}

// Records its click, asks for its deletion, then keeps running its handler.
class CSelfDeleting : public CWindow {
public:
    explicit CSelfDeleting(std::vector<std::string>& log) : m_log(log) {}
    ~CSelfDeleting() override { m_log.push_back("deleted"); }
    void OnLButtonUp(UINT, int, int) override {
        m_log.push_back("click");
        DeleteLater();
        SendMessage(kNested);
        m_log.push_back("click end");
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kNested) m_log.push_back("nested");
        return CWindow::WindowProc(message, wParam, lParam);
    }

private:
    std::vector<std::string>& m_log;
};

// Sends the click to another window from inside its own handler.
class COuter : public CWindow {
public:
    COuter(std::vector<std::string>& log, HWND inner) : m_log(log), m_inner(inner) {}
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != kNested) return CWindow::WindowProc(message, wParam, lParam);
        m_log.push_back("outer");
        ::SendMessageA(m_inner, WM_LBUTTONUP, 0, 0);
        m_log.push_back("outer end");
        return 0;
    }

private:
    std::vector<std::string>& m_log;
    HWND m_inner;
};

TEST(Dispatch, SelfDeletionWaitsForTheOutermostDispatch) {
    std::vector<std::string> log;
    auto* alone = new CSelfDeleting(log);
    HWND aloneHandle = alone->Create(0, kNoClass, "", WS_POPUP, kRect, nullptr);
    ::SendMessageA(aloneHandle, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"click", "nested", "click end", "deleted"}), log);
    EXPECT_FALSE(::IsWindow(aloneHandle));  // the object took its window with it

    log.clear();
    auto* inner = new CSelfDeleting(log);
    HWND innerHandle = inner->Create(0, kNoClass, "", WS_POPUP, kRect, nullptr);
    COuter outer(log, innerHandle);
    outer.Create(0, kNoClass, "", WS_POPUP, kRect, nullptr);
    ::SendMessageA(outer, kNested, 0, 0);
    EXPECT_EQ(
        (std::vector<std::string>{"outer", "click", "nested", "click end", "outer end", "deleted"}),
        log);

    // The self-delete flag: the object goes with its window, once.
    log.clear();
    auto* flagged = new CSelfDeleting(log);
    flagged->SetSelfDelete(true);
    HWND flaggedHandle = flagged->Create(0, kNoClass, "", WS_POPUP, kRect, nullptr);
    ::DestroyWindow(flaggedHandle);
    EXPECT_EQ(std::vector<std::string>{"deleted"}, log);
}

// A window procedure of someone else's, with an answer of its own.
LRESULT CALLBACK AnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) return 77;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

class CCommandProbe : public CWindow {
public:
    int commands = 0;
    void OnCommand(UINT, UINT, HWND) override {
        ++commands;
        DefaultProc();
    }
};

// A handler that also asks for the default answers with the default's result.
TEST(Dispatch, AttachedHandlerCallingDefaultProcAnswersTheDefault) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = AnswerProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "WfcTestAnswer";
    ::RegisterClassA(&wc);
    HWND other = ::CreateWindowExA(0, "WfcTestAnswer", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    CCommandProbe commandProbe;
    commandProbe.Attach(other);
    EXPECT_EQ(77, ::SendMessageA(other, WM_COMMAND, 1, 0));
    EXPECT_EQ(1, commandProbe.commands);
    ::DestroyWindow(other);
    EXPECT_EQ(nullptr, commandProbe.GetHandle());
}

// Sets the done flag, closes itself or hides its owner when told to.
class CModal : public CWindow {
public:
    bool* done = nullptr;
    HWND owner = nullptr;
    bool ownerEnabledInside = true;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kFinish) {
            ownerEnabledInside = ::IsWindowEnabled(owner) != FALSE;
            if (wParam == 0) *done = true;
            if (wParam == 1) DestroyWindow();
            if (wParam == 2) ::ShowWindow(owner, SW_HIDE);
            return 0;
        }
        return CWindow::WindowProc(message, wParam, lParam);
    }
};

TEST(Dispatch, RunModalEndsOnItsFlagOnQuitOnAGoneWindowAndOnAHiddenOwner) {
    CWindow owner;
    owner.Create(0, kNoClass, "owner", WS_OVERLAPPED | WS_VISIBLE, kRect, nullptr);
    struct Case {
        WPARAM finish;  // what the dialog is told (3: a quit comes instead)
        lib::wfc::ModalEnd end;
    } cases[] = {{0, lib::wfc::ModalEnd::Done},
                 {3, lib::wfc::ModalEnd::Quit},
                 {1, lib::wfc::ModalEnd::WindowGone},
                 {2, lib::wfc::ModalEnd::OwnerHidden}};
    for (const Case& c : cases) {
        ::ShowWindow(owner, SW_SHOW);
        bool done = false;
        CModal dialog;
        dialog.done = &done;
        dialog.owner = owner;
        dialog.Create(0, kNoClass, "dialog", WS_POPUP, kRect, owner);
        if (c.finish == 3)
            ::PostQuitMessage(5);
        else
            dialog.PostMessage(kFinish, c.finish);
        EXPECT_EQ(c.end, lib::wfc::RunModal(dialog, owner, done)) << c.finish;
        EXPECT_TRUE(::IsWindowEnabled(owner)) << c.finish;
        if (c.finish != 3) {
            EXPECT_FALSE(dialog.ownerEnabledInside) << c.finish;
        }
        MSG quit = {};
        const bool requeued = ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        EXPECT_EQ(c.finish == 3, requeued) << c.finish;
        if (requeued) {
            EXPECT_EQ(0u, quit.wParam);
        }
    }
}

TEST(Placement, PulledBackThenPushedIntoTheWorkArea) {
    const RECT area = {0, 0, 100, 100};
    struct Case {
        RECT in, out;
    } cases[] = {
        {{20, 20, 40, 40}, {20, 20, 40, 40}},    // inside: unchanged
        {{90, 10, 120, 30}, {70, 10, 100, 30}},  // right edge pulled back
        {{10, 95, 30, 125}, {10, 70, 30, 100}},  // bottom edge pulled back
        {{-5, -8, 15, 12}, {0, 0, 20, 20}},      // left and top pushed
        {{-10, 0, 140, 20}, {0, 0, 150, 20}},    // too wide: the left edge wins
        {{0, 90, 10, 210}, {0, 0, 10, 120}},     // too tall: the top edge wins
    };
    for (const Case& c : cases) {
        const RECT r = lib::wfc::KeepInsideArea(c.in, area);
        EXPECT_TRUE(::EqualRect(&r, &c.out)) << c.in.left << "," << c.in.top << " -> " << r.left
                                             << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

}  // namespace
