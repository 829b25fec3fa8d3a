#include <windows.h>
// The common-control headers need the types of windows.h first.
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "common/CriticalSection.h"
#include "common/KilnLog.h"
#include "ui/SkinAccessible.h"
#include "ui/SkinRequiredKeys.h"
#include "ui/SkinScale.h"
#include "ui/SkinScaleWin.h"
#include "ui/SkinWindow.h"
#include "wfc/Library.h"
#include "wfc/Thread.h"

namespace ui {

namespace {

const char kInternalMessageName[] =
    "SkinWindowInternalMessage-{774AC32D-5AEC-4eb1-B2F8-8905C27F00F2}";

std::atomic<SkinTickSource> g_tickSource{nullptr};

// The handles of every skin window of the process.
class CSkinWindowRegistry {
public:
    void Add(HWND window, CSkinWindow* object) {
        qm::CCriticalSection::CLock lock(m_lock);
        m_windows[window] = object;
    }
    void Remove(HWND window) {
        qm::CCriticalSection::CLock lock(m_lock);
        m_windows.erase(window);
    }
    std::vector<HWND> Handles() {
        qm::CCriticalSection::CLock lock(m_lock);
        std::vector<HWND> handles;
        for (const auto& entry : m_windows) handles.push_back(entry.first);
        return handles;
    }

private:
    qm::CCriticalSection m_lock;
    std::map<HWND, CSkinWindow*> m_windows;
};

CSkinWindowRegistry& Registry() {
    static CSkinWindowRegistry registry;
    return registry;
}

bool Intersects(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

POINT CursorIn(HWND window) {
    POINT pt = {};
    ::GetCursorPos(&pt);
    ::ScreenToClient(window, &pt);
    return pt;
}

}  // namespace

DWORD SkinTickCount() {
    SkinTickSource source = g_tickSource.load();
    return source ? source() : ::GetTickCount();
}

void SetSkinTickSource(SkinTickSource source) { g_tickSource.store(source); }

UINT GetSkinInternalMessage() {
    static const UINT message = ::RegisterWindowMessageA(kInternalMessageName);
    return message;
}

std::vector<HWND> GetSkinWindows() { return Registry().Handles(); }

// --- construction and skin ----------------------------------------------------------------

CSkinWindow::CSkinWindow() = default;

CSkinWindow::~CSkinWindow() {
    FinishDecoding();
    DisconnectSkinAccessible(m_accessible);
    // Items may call back into the window while they go: empty the list first.
    m_hoverItem = m_focusItem = m_captureItem = m_toolTipItem = nullptr;
    std::vector<std::unique_ptr<CSkinWindowItem>> items = std::move(m_items);
    items.clear();
}

void CSkinWindow::LoadSkin(const std::string& fileName, const std::string& baseItemName,
                           bool shaped) {
    m_shaped = shaped;
    m_skin = GetSkin(fileName);
    InheritBaseFont(m_skin, baseItemName);
    m_skinFile = fileName;
    // The window is not there yet: it starts at the system's scale and
    // follows its monitor once made.
    m_dpi = SystemDpi();
    ScaleSkin(m_skin, m_dpi);
    m_baseName = baseItemName;
    ApplyBaseItem(GetItem(m_skin, baseItemName));
}

void CSkinWindow::ApplyBaseItem(const SkinItem& item) {
    CheckProperties(item, kSkinWindowBaseSpec, SpecCount(kSkinWindowBaseSpec));
    const SkinValues& image = item.properties.at("Image");
    const SkinRect rect = ToRect(image, 1);
    m_backgroundFile = image[0];
    m_backgroundRect = RECT{rect.left, rect.top, rect.right, rect.bottom};
    StartDecoding();
    m_title = item.properties.at("Title")[0];
    m_captionHeight = ParseSkinInteger(item.properties.at("CaptionHeight")[0]);
    m_logFont = ToLogFont(item.properties.at("Font"));
    m_font.Create(m_logFont);
}

HWND CSkinWindow::CreateSkinWindow(HWND parent, DWORD style, DWORD exStyle, int x, int y) {
    RECT rect = {0, 0, m_backgroundRect.right - m_backgroundRect.left,
                 m_backgroundRect.bottom - m_backgroundRect.top};
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return CreatePlaced(parent, style, exStyle,
                        RECT{x, y, x + rect.right - rect.left, y + rect.bottom - rect.top});
}

HWND CSkinWindow::CreatePlaced(HWND parent, DWORD style, DWORD exStyle, const RECT& place) {
    // Shown once made: a picture that did not decode ends the creation
    // before anything of the window is seen.
    HWND window = nullptr;
    try {
        window = Create(exStyle, nullptr, m_title.c_str(), style & ~WS_VISIBLE, place, parent);
    } catch (const lib::wfc::CWindowException&) {
        if (!m_undecoded.empty()) ShowSkinError(SkinImagePath(m_undecoded) + "が読み込めません.");
        throw;
    }
    if (style & WS_VISIBLE) ShowWindow(SW_SHOW);
    return window;
}

// Every picture the skin names starts decoding at once, each on a thread of
// its own: the sheets are the larger part of a window's start, and they
// decode while the items are built and the system makes the window. Bytes
// are read here, so a missing background still fails on this thread before
// any window; another missing picture fails when an item names it.
void CSkinWindow::StartDecoding() {
    FinishDecoding();
    std::vector<std::string> names = {m_backgroundFile};
    for (const auto& block : m_skin) {
        for (const auto& property : block.second.properties) {
            if (property.second.empty()) continue;
            const std::string& name = property.second[0];
            std::string lower = name;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](char c) { return static_cast<char>(::tolower(c)); });
            const bool picture = lower.size() > 4 && (lower.rfind(".png") == lower.size() - 4 ||
                                                      lower.rfind(".png/lang") == lower.size() - 9);
            if (picture && std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
        }
    }
    for (const std::string& name : names) {
        if (m_images.count(name)) continue;
        PendingImage image;
        image.name = name;
        if (!ReadScaledSheet(name, m_dpi, image.bytes, image.sheetDpi)) {
            if (name != m_backgroundFile) continue;
            image.bytes = LoadSkinImage(name);  // shows and throws
        }
        m_pending.push_back(std::move(image));
    }
    const int dpi = m_dpi;
    for (PendingImage& image : m_pending) {
        image.worker = std::thread([&image, dpi] {
            try {
                image.gdiplus = std::make_unique<lib::wfc::CGdiplusUser>();
                auto dib = std::make_unique<lib::wfc::CDIB>();
                if (dib->LoadMemory(image.bytes.data(), image.bytes.size()) == lib::wfc::kLoadOk) {
                    FitSheet(*dib, image.sheetDpi, dpi);
                    image.dib = std::move(dib);
                }
            } catch (...) {
                // Left undecoded: GetImageCache tries again and reports it.
            }
        });
    }
}

void CSkinWindow::FinishDecoding() {
    for (PendingImage& image : m_pending) {
        if (image.worker.joinable()) image.worker.join();
        if (image.dib) m_images.emplace(image.name, std::move(image.dib));
        if (!m_gdiplus) m_gdiplus = std::move(image.gdiplus);
    }
    m_pending.clear();
}

// The first picture the window needs that did not decode, or "".
std::string CSkinWindow::FindUndecoded() {
    FinishDecoding();
    if (!m_images.count(m_backgroundFile)) return m_backgroundFile;
    for (const std::string& name : m_awaited)
        if (!m_images.count(name)) return name;
    return std::string();
}

void CSkinWindow::RequireImage(const std::string& fileName) {
    if (m_images.count(fileName)) return;
    for (const PendingImage& image : m_pending) {
        if (image.name == fileName) {
            m_awaited.push_back(fileName);
            return;
        }
    }
    GetImageCache(fileName);
}

const lib::wfc::CDIB& CSkinWindow::GetImageCache(const std::string& fileName) {
    FinishDecoding();
    auto found = m_images.find(fileName);
    if (found != m_images.end()) return *found->second;
    std::string bytes;
    int sheetDpi = kBaseDpi;
    if (!ReadScaledSheet(fileName, m_dpi, bytes, sheetDpi)) bytes = LoadSkinImage(fileName);
    if (!m_gdiplus) m_gdiplus = std::make_unique<lib::wfc::CGdiplusUser>();
    auto dib = std::make_unique<lib::wfc::CDIB>();
    if (dib->LoadMemory(bytes.data(), bytes.size()) != lib::wfc::kLoadOk)
        ShowSkinError(SkinImagePath(fileName) + "が読み込めません.");
    FitSheet(*dib, sheetDpi, m_dpi);
    return *m_images.emplace(fileName, std::move(dib)).first->second;
}

int CSkinWindow::Scale(int v) const { return ScaleCoordinate(v, m_dpi); }

// Everything read from the skin is read again at the new scale; items
// convert what they took from it, and the pictures are decoded afresh from
// the sheet of that scale.
void CSkinWindow::ChangeScale(int dpi, const RECT& suggested) {
    if (dpi <= 0 || dpi == m_dpi) return;
    const int oldDpi = m_dpi;
    m_dpi = dpi;
    FinishDecoding();
    SkinData file = GetSkin(m_skinFile);
    InheritBaseFont(file, m_baseName);
    // In place: items keep references into the blocks.
    for (auto& block : m_skin) {
        auto base = file.find(block.first);
        if (base == file.end()) continue;
        block.second.properties = base->second.properties;
        ScaleSkinItem(block.second, dpi);
    }
    m_images.clear();
    const bool creating = m_creating;
    m_creating = true;  // no shape cut until the items have moved
    ApplyBaseItem(GetItem(m_skin, m_baseName));
    FinishDecoding();
    for (const auto& item : m_items) item->OnScaleChanged(oldDpi);
    if (m_toolTip) {
        ::SendMessageA(m_toolTip, TTM_SETMAXTIPWIDTH, 0, Scale(640));
        if (m_font)
            ::SendMessageA(m_toolTip, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), 0);
    }
    if (m_font && GetHandle()) SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), 0);
    OnScaleChanged(oldDpi);
    m_backBuffer.Destroy();
    if (GetHandle()) {
        ::SetWindowPos(GetHandle(), nullptr, suggested.left, suggested.top,
                       suggested.right - suggested.left, suggested.bottom - suggested.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        // The same size as before brings no WM_SIZE to lay it out.
        if (m_backBuffer.IsEmpty()) {
            const RECT client = GetClientRect();
            Layout(0, client.right, client.bottom);
        }
    }
    m_creating = creating;
    if (m_shaped && !m_creating) ApplyShape();
    if (GetHandle()) InvalidateRect(nullptr, false);
}

// --- sizes, background, layout -----------------------------------------------------------

const lib::wfc::CDIB* CSkinWindow::GetBackgroundSource(RECT& sourceRect) {
    FinishDecoding();
    auto found = m_images.find(m_backgroundFile);
    if (found == m_images.end()) return nullptr;
    sourceRect = m_backgroundRect;
    return found->second.get();
}

SIZE CSkinWindow::GetMinimumWindowSize() { return GetDefaultWindowSize(); }

SIZE CSkinWindow::GetDefaultWindowSize() {
    return SIZE{m_backgroundRect.right - m_backgroundRect.left,
                m_backgroundRect.bottom - m_backgroundRect.top};
}

SIZE CSkinWindow::GetLayoutSize() { return GetDefaultWindowSize(); }

RECT CSkinWindow::GetLayoutRect() {
    const SIZE size = GetLayoutSize();
    return RECT{0, 0, size.cx, size.cy};
}

void CSkinWindow::AdjustSize(int&, int&) {}

void CSkinWindow::DrawBackground(lib::wfc::CDIB& target, const lib::wfc::CDIB& source,
                                 const RECT& sourceRect) {
    // Only the part being composed: the copy is clipped to the background.
    const RECT& clip = m_redrawClip;
    const int width = std::min(clip.right, sourceRect.right - sourceRect.left) - clip.left;
    const int height = std::min(clip.bottom, sourceRect.bottom - sourceRect.top) - clip.top;
    if (width > 0 && height > 0)
        target.Copy(clip.left, clip.top, width, height, source, sourceRect.left + clip.left,
                    sourceRect.top + clip.top);
}

void CSkinWindow::Layout(UINT, int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    m_backBuffer.Create(width, height);
    RedrawAll();
    // While the window is being created the shape is cut once, after the
    // items are attached.
    if (m_shaped && !m_creating) ApplyShape();
    RefreshToolRects();
}

void CSkinWindow::RedrawAll() {
    if (m_backBuffer.IsEmpty()) return;
    Compose(RECT{0, 0, m_backBuffer.Width(), m_backBuffer.Height()});
}

void CSkinWindow::Compose(const RECT& rect) {
    RECT clip = {std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0),
                 std::min<LONG>(rect.right, m_backBuffer.Width()),
                 std::min<LONG>(rect.bottom, m_backBuffer.Height())};
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    const RECT outer = m_redrawClip;
    m_redrawClip = clip;
    m_composedPixels += static_cast<unsigned long long>(clip.right - clip.left) *
                        static_cast<unsigned long long>(clip.bottom - clip.top);
    RECT sourceRect = {};
    if (const lib::wfc::CDIB* source = GetBackgroundSource(sourceRect))
        DrawBackground(m_backBuffer, *source, sourceRect);
    for (const auto& item : m_items) {
        if (item->IsVisible() && (item->CoversWindow() || Intersects(item->GetRect(), clip)))
            item->Draw();
    }
    if (m_focusMarkShown) DrawFocusMark();
    m_redrawClip = outer;
}

void CSkinWindow::ApplyShape() {
    if (!GetHandle() || m_backBuffer.IsEmpty()) return;
    SetRegion(lib::wfc::CreateRegion(m_backBuffer, 0, 0, m_backBuffer.Width(),
                                     m_backBuffer.Height(), kSkinKeyColor));
}

// --- the item accessor -------------------------------------------------------------------

bool CSkinWindow::IsReady() const { return GetHandle() != nullptr && !m_backBuffer.IsEmpty(); }

CSkinWindowItem* CSkinWindow::FindItem(int id) {
    for (const auto& item : m_items)
        if (item->GetId() == id) return item.get();
    return nullptr;
}

void CSkinWindow::RedrawRect(int left, int top, int right, int bottom, bool update) {
    if (m_backBuffer.IsEmpty()) return;
    const RECT rect = {left, top, right, bottom};
    Compose(rect);
    if (!GetHandle()) return;
    ::InvalidateRect(GetHandle(), &rect, FALSE);
    if (update && !m_redrawLocked) ::UpdateWindow(GetHandle());
}

bool CSkinWindow::OnItemEvent(int id, int code, intptr_t) {
    if (code != kItemClicked) return false;
    PostMessage(WM_COMMAND, static_cast<WPARAM>(static_cast<unsigned>(id) | 0x10000u), 0);
    return true;
}

void CSkinWindow::ForwardKey(UINT key, UINT flags) {
    // Tab always reaches the window: it walks the items.
    if (key == VK_TAB || FilterKey(key, flags)) PostMessage(WM_KEYDOWN, key, flags);
}

LRESULT CSkinWindow::SendToWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessage(message, wParam, lParam);
}

void CSkinWindow::LockRedraw(bool lock) {
    const bool was = m_redrawLocked;
    m_redrawLocked = lock;
    if (was && !lock && GetHandle()) ::UpdateWindow(GetHandle());
}

void CSkinWindow::OnItemNotify(int, int) {}

bool CSkinWindow::FilterKey(UINT, UINT) { return false; }

// --- tool-tips ---------------------------------------------------------------------------

void CSkinWindow::CreateToolTip() {
    m_toolTip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetHandle(), nullptr,
                                  lib::wfc::GetInstance(), nullptr);
    if (!m_toolTip) {
        KILNLOG.Log(LOG_ERROR, "CSkinWindow::CreateToolTip - ツールチップ作成失敗 ERR:0x%08X",
                    static_cast<unsigned>(::GetLastError()));
        return;
    }
    ::SendMessageA(m_toolTip, TTM_SETMAXTIPWIDTH, 0, Scale(640));
    if (m_font) ::SendMessageA(m_toolTip, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), 0);
    m_activator = std::make_unique<lib::wfc::CTooltipActivator>();
    m_activator->Attach(m_toolTip);
    for (const auto& item : m_items)
        if (item->IsHitTarget()) UpdateToolTip(item.get());
}

void CSkinWindow::UpdateToolTip(CSkinWindowItem* item) {
    if (!m_toolTip || !item) return;
    TTTOOLINFOA info = {};
    info.cbSize = sizeof info;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = GetHandle();
    info.uId = reinterpret_cast<UINT_PTR>(item);
    info.rect = item->GetRect();
    info.hinst = lib::wfc::GetInstance();
    info.lpszText = LPSTR_TEXTCALLBACKA;
    auto registered = std::find(m_tools.begin(), m_tools.end(), item);
    const bool wanted = item->IsVisible() && item->IsHitTarget();
    if (registered == m_tools.end()) {
        if (!wanted) return;
        ::SendMessageA(m_toolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
        ::SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
        m_tools.push_back(item);
    } else if (wanted) {
        ::SendMessageA(m_toolTip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
        ::SendMessageA(m_toolTip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    } else {
        ::SendMessageA(m_toolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
        m_tools.erase(registered);
    }
}

void CSkinWindow::RefreshToolRects() {
    for (CSkinWindowItem* item : std::vector<CSkinWindowItem*>(m_tools)) UpdateToolTip(item);
}

bool CSkinWindow::OnNotify(int, NMHDR* header, LRESULT& result) {
    if (!header || header->hwndFrom != m_toolTip || header->code != TTN_GETDISPINFOA) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    info->szText[0] = '\0';
    info->lpszText = info->szText;
    CSkinWindowItem* item = m_toolTipItem;
    if (!item) {
        for (const auto& candidate : m_items)
            if (reinterpret_cast<UINT_PTR>(candidate.get()) == header->idFrom)
                item = candidate.get();
    }
    if (item && item->IsEnabled()) {
        const std::string text = item->GetToolTipText();
        lstrcpynA(info->szText, text.c_str(), sizeof info->szText);
    }
    result = 0;
    return true;
}

// --- window messages ---------------------------------------------------------------------

LRESULT CSkinWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        // The pictures were decoding while the system made the window.
        m_undecoded = FindUndecoded();
        if (!m_undecoded.empty()) return -1;
    }
    LRESULT answer = 0;
    if (OnAccessMessage(message, wParam, lParam, answer)) return answer;
    if (m_focusItem) {
        LRESULT result = 0;
        if (m_focusItem->FilterMessage(message, wParam, lParam, result)) return result;
    }
    if (message == GetSkinInternalMessage() && message != 0) {
        if (wParam == 0) {
            OnRelayout();
            const RECT client = GetClientRect();
            Layout(0, client.right, client.bottom);
            InvalidateRect(nullptr, false);
        }
        return 0;
    }
    switch (message) {
        case WM_ACTIVATE:
            // Any change of activation while the mouse is captured ends the press.
            if (m_captureItem) EndCapture(true);
            if (LOWORD(wParam) == WA_INACTIVE && m_toolTip)
                ::SendMessageA(m_toolTip, TTM_POP, 0, 0);
            break;
        case WM_DPICHANGED:
            if (lParam) ChangeScale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SHOWWINDOW:
            if (!wParam) {
                if (m_captureItem) EndCapture(true);
                if (m_toolTip) ::SendMessageA(m_toolTip, TTM_POP, 0, 0);
            }
            break;
        default:
            break;
    }
    return CRegionWindow::WindowProc(message, wParam, lParam);
}

bool CSkinWindow::OnCreate(CREATESTRUCTA*) {
    // Made on a monitor of another scale than the system's: the window
    // follows it before anything is drawn.
    const int dpi = WindowDpi(GetHandle());
    if (dpi != m_dpi) {
        RECT place = GetWindowRect();
        place.right = place.left + ConvertCoordinate(place.right - place.left, m_dpi, dpi);
        place.bottom = place.top + ConvertCoordinate(place.bottom - place.top, m_dpi, dpi);
        ChangeScale(dpi, place);
    }
    if (m_font) SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), 0);
    const RECT client = GetClientRect();
    m_creating = true;
    Layout(0, client.right, client.bottom);
    m_creating = false;
    for (const auto& item : m_items) item->OnAttach(GetHandle());
    if (m_focusItem) m_focusItem->OnSetFocus();
    SetTimer(kSkinTickTimer, kSkinTickPeriod);
    if (m_shaped) ApplyShape();
    Registry().Add(GetHandle(), this);
    return true;
}

void CSkinWindow::OnDestroy() {
    Registry().Remove(GetHandle());
    KillTimer(kSkinTickTimer);
    if (m_activator) {
        m_activator->Stop();
        m_activator.reset();
    }
    if (m_toolTip) {
        ::DestroyWindow(m_toolTip);
        m_toolTip = nullptr;
    }
    m_tools.clear();
    m_captureItem = m_hoverItem = m_toolTipItem = nullptr;
}

void CSkinWindow::OnSize(UINT type, int cx, int cy) {
    if (type == SIZE_MINIMIZED) return;
    if (cx == m_backBuffer.Width() && cy == m_backBuffer.Height()) return;
    Layout(0, cx, cy);
    InvalidateRect(nullptr, false);
}

void CSkinWindow::OnSetFocus(HWND) {
    if (m_focusItem && !m_inButtonDown) m_focusItem->OnSetFocus();
}

void CSkinWindow::OnKillFocus(HWND) {}

void CSkinWindow::OnPaint() {
    lib::wfc::CPaintDC paint(GetHandle());
    if (m_backBuffer.IsEmpty()) return;
    lib::wfc::CMemDC memory(m_backBuffer.Handle(), paint);
    const RECT& r = paint.UpdateRect();
    ::BitBlt(paint, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, r.left, r.top,
             SRCCOPY);
    ++m_paintCount;
}

bool CSkinWindow::OnEraseBkgnd(HDC) { return true; }

CSkinWindowItem* CSkinWindow::HitTest(int x, int y) const {
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        const CSkinWindowItem& item = **it;
        const RECT r = item.GetRect();
        if (item.IsVisible() && item.IsHitTarget() && x >= r.left && x < r.right && y >= r.top &&
            y < r.bottom)
            return it->get();
    }
    return nullptr;
}

bool CSkinWindow::OnSetCursor(HWND, UINT, UINT) {
    const POINT pt = CursorIn(GetHandle());
    CSkinWindowItem* item = HitTest(pt.x, pt.y);
    if (!item) return false;
    const RECT r = item->GetRect();
    return item->OnSetCursor(pt.x - r.left, pt.y - r.top);
}

void CSkinWindow::OnMouseMove(UINT flags, int x, int y) {
    if (!m_toolTipTried) {
        // The tip control is made when the pointer first comes over the
        // window: nobody waits for it at start-up. It missed this move.
        m_toolTipTried = true;
        CreateToolTip();
        MSG move = {GetHandle(),
                    WM_MOUSEMOVE,
                    flags,
                    MAKELPARAM(x, y),
                    static_cast<DWORD>(::GetMessageTime()),
                    {}};
        ::GetCursorPos(&move.pt);
        if (m_toolTip)
            ::SendMessageA(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
    }
    if (m_activator) m_activator->ReportMouse(POINT{x, y});
    if (m_captureItem) {
        const RECT r = m_captureItem->GetRect();
        m_captureItem->OnMouseMove(x - r.left, y - r.top);
        return;
    }
    CSkinWindowItem* item = HitTest(x, y);
    if (m_hoverItem && m_hoverItem != item) m_hoverItem->OnMouseLeave();
    m_hoverItem = item;
    m_toolTipItem = item;
    if (item) {
        const RECT r = item->GetRect();
        item->OnMouseMove(x - r.left, y - r.top);
    }
    TRACKMOUSEEVENT track = {sizeof track, TME_HOVER | TME_LEAVE, GetHandle(), HOVER_DEFAULT};
    ::TrackMouseEvent(&track);
}

void CSkinWindow::ButtonDown(bool left, bool doubleClick, int x, int y) {
    m_inButtonDown = true;
    ::SetFocus(GetHandle());
    m_inButtonDown = false;
    if (m_captureItem) return;
    CSkinWindowItem* item = HitTest(x, y);
    if (!item) return;
    const RECT r = item->GetRect();
    const int ix = x - r.left, iy = y - r.top;
    const bool capture =
        left ? (doubleClick ? item->OnLButtonDblClk(ix, iy) : item->OnLButtonDown(ix, iy))
             : (doubleClick ? item->OnRButtonDblClk(ix, iy) : item->OnRButtonDown(ix, iy));
    // The handler may have changed the list (a window reacting to a notification).
    if (FindItemPointer(item) && capture) {
        m_captureItem = item;
        m_captureLeft = left;
        ::SetCapture(GetHandle());
    }
    if (!FindItemPointer(item)) return;
    SetFocusItem(item);
    m_hoverItem = item;
}

bool CSkinWindow::FindItemPointer(const CSkinWindowItem* item) const {
    for (const auto& candidate : m_items)
        if (candidate.get() == item) return true;
    return false;
}

void CSkinWindow::ButtonUp(bool left, int x, int y) {
    if (m_captureItem) {
        EndCapture(false);
        return;
    }
    CSkinWindowItem* item = HitTest(x, y);
    if (!item) return;
    const RECT r = item->GetRect();
    if (left)
        item->OnLButtonUp(x - r.left, y - r.top);
    else
        item->OnRButtonUp(x - r.left, y - r.top);
}

void CSkinWindow::EndCapture(bool lost) {
    CSkinWindowItem* item = m_captureItem;
    if (!item) return;
    m_captureItem = nullptr;
    if (::GetCapture() == GetHandle()) ::ReleaseCapture();
    OnCaptureEnd();
    if (!FindItemPointer(item)) return;
    const POINT pt = CursorIn(GetHandle());
    const RECT r = item->GetRect();
    const int x = pt.x - r.left, y = pt.y - r.top;
    if (m_captureLeft) {
        if (lost)
            item->OnLButtonCaptureLost(x, y);
        else
            item->OnLButtonUp(x, y);
    } else {
        if (lost)
            item->OnRButtonCaptureLost(x, y);
        else
            item->OnRButtonUp(x, y);
    }
}

void CSkinWindow::OnLButtonDown(UINT, int x, int y) { ButtonDown(true, false, x, y); }
void CSkinWindow::OnLButtonDblClk(UINT, int x, int y) { ButtonDown(true, true, x, y); }
void CSkinWindow::OnRButtonDown(UINT, int x, int y) { ButtonDown(false, false, x, y); }
void CSkinWindow::OnRButtonDblClk(UINT, int x, int y) { ButtonDown(false, true, x, y); }
void CSkinWindow::OnLButtonUp(UINT, int x, int y) { ButtonUp(true, x, y); }
void CSkinWindow::OnRButtonUp(UINT, int x, int y) { ButtonUp(false, x, y); }

void CSkinWindow::OnMouseLeave() {
    CSkinWindowItem* item = m_hoverItem;
    m_hoverItem = nullptr;
    if (item && !m_captureItem) item->OnMouseLeave();
}

void CSkinWindow::OnCaptureChanged(HWND) {
    if (m_captureItem) EndCapture(true);
}

void CSkinWindow::OnDisplayChange(UINT, int, int) { InvalidateRect(nullptr, false); }

LRESULT CSkinWindow::OnNcHitTest(int x, int y) {
    const POINT pt = ScreenToClient(POINT{x, y});
    if (!HitTest(pt.x, pt.y) && pt.y >= 0 && pt.y < m_captionHeight) {
        const RECT client = GetClientRect();
        if (pt.x >= 0 && pt.x < client.right) return HTCAPTION;
    }
    return DefaultProc();
}

void CSkinWindow::OnNcMouseMove(UINT, int, int) {
    // Over the caption the client gets no mouse-leave of its own.
    if (m_hoverItem && !m_captureItem) {
        CSkinWindowItem* item = m_hoverItem;
        m_hoverItem = nullptr;
        item->OnMouseLeave();
    }
    DefaultProc();
}

void CSkinWindow::OnKeyDown(UINT key, UINT) {
    if (key == VK_RETURN)
        OnItemNotify(-1, 1);
    else if (key == VK_ESCAPE)
        OnItemNotify(-1, 0);
    else
        DefaultProc();
}

void CSkinWindow::OnCommand(UINT, UINT, HWND) { DefaultProc(); }

void CSkinWindow::OnTimer(UINT_PTR id) {
    if (id != kSkinTickTimer) {
        DefaultProc();
        return;
    }
    const DWORD now = SkinTickCount();
    for (size_t i = 0; i < m_items.size(); ++i) m_items[i]->OnTick(now);
    if (m_activator) m_activator->Poll(now);
}

}  // namespace ui
