#include "platform/win32/Native.h"

#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

namespace orxwin {

namespace {

// Room for a long path, as the wide file functions take it.
constexpr DWORD PATH_CHARS = 32768;

// "Name\0patterns\0...\0\0", as the common dialog takes its filter.
std::wstring FilterText(const FileRequest& request) {
    std::wstring text;
    for (const auto& [name, patterns] : request.filters) {
        text += Widen(name);
        text += L'\0';
        text += Widen(patterns);
        text += L'\0';
    }
    return text;
}

// Beside the caption's text: the icon, the close button, the frame and some air.
int CaptionRoom() {
    return GetSystemMetrics(SM_CXSMICON) + 2 * GetSystemMetrics(SM_CXSIZE) +
           4 * GetSystemMetrics(SM_CXFRAME) + 2 * GetSystemMetrics(SM_CXEDGE);
}

int CaptionTextWidth(HWND box) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return 0;
    const int length = GetWindowTextLengthW(box);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(box, caption.data(), length + 1);
    HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
    HDC dc = GetDC(box);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), length, &size);
    SelectObject(dc, previous);
    ReleaseDC(box, dc);
    DeleteObject(font);
    return size.cx;
}

// A message box is as wide as its text: one with a short text would cut its caption. It
// grows around its centre, its buttons moved to stay centred beneath the text.
void FitCaption(HWND box) {
    RECT rect{};
    GetWindowRect(box, &rect);
    const int width = rect.right - rect.left;
    const int grow = CaptionTextWidth(box) + CaptionRoom() - width;
    if (grow <= 0)
        return;
    SetWindowPos(box, nullptr, rect.left - grow / 2, rect.top, width + grow, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    constexpr int CLASS_CHARS = 16;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[CLASS_CHARS] = {};
        GetClassNameW(child, name, CLASS_CHARS);
        if (lstrcmpiW(name, L"Button") != 0)
            continue;
        RECT button{};
        GetWindowRect(child, &button);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&button), 2);
        SetWindowPos(child, nullptr, button.left + grow / 2, button.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// How often a box whose question may lose its object looks at it.
constexpr UINT WATCH_INTERVAL_MS = 100;

// A box this thread shows; the boxes shown over it, by its owner's modal loop, come later.
struct OpenBox {
    const BoxOptions& options;
    OpenBox* under = nullptr; // the box shown before it, still open
    HHOOK hook = nullptr;     // until the box is fitted
    HWND window = nullptr;    // once fitted
};
thread_local OpenBox* t_topBox = nullptr;

LRESULT CALLBACK FitBoxHook(int code, WPARAM wParam, LPARAM lParam) {
    OpenBox* box = t_topBox;
    if (code == HCBT_ACTIVATE && box != nullptr && box->hook != nullptr) {
        box->window = reinterpret_cast<HWND>(wParam);
        if (box->options.okLabel != nullptr)
            SetDlgItemTextW(box->window, IDOK, Widen(box->options.okLabel).c_str());
        FitCaption(box->window);
        UnhookWindowsHookEx(box->hook);
        box->hook = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Every open box whose question has lost its object ends as Esc would end it.
void CALLBACK WatchBoxes(HWND, UINT, UINT_PTR, DWORD) {
    for (OpenBox* box = t_topBox; box != nullptr; box = box->under)
        if (box->window != nullptr && box->options.stillAsked && !box->options.stillAsked())
            PostMessageW(box->window, WM_COMMAND, static_cast<WPARAM>(box->options.escapeAnswer),
                         0);
}

} // namespace

bool ShowFolder(const std::string& path) {
    // ShellExecute reports success as a value above 32.
    constexpr INT_PTR SHELL_EXECUTE_OK = 32;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > SHELL_EXECUTE_OK;
}

int ShowMessageBox(Window owner, const std::string& text, const std::string& caption, unsigned type,
                   const BoxOptions& options) {
    OpenBox box{options, t_topBox,
                SetWindowsHookExW(WH_CBT, FitBoxHook, nullptr, GetCurrentThreadId())};
    t_topBox = &box;
    const UINT_PTR watch =
        options.stillAsked ? SetTimer(nullptr, 0, WATCH_INTERVAL_MS, WatchBoxes) : 0;
    const int answer =
        MessageBoxW(static_cast<HWND>(owner), Widen(text).c_str(), Widen(caption).c_str(), type);
    if (watch != 0)
        KillTimer(nullptr, watch);
    if (box.hook != nullptr) // never activated
        UnhookWindowsHookEx(box.hook);
    t_topBox = box.under;
    return answer;
}

bool ShowFileDialog(Window owner, const FileRequest& request, std::string& path) {
    const std::wstring filter = FilterText(request);
    const std::wstring extension = Widen(request.defaultExtension);
    std::wstring file = Widen(request.fileName);
    const std::wstring title = Widen(request.title);
    file.resize(PATH_CHARS, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = static_cast<HWND>(owner);
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = PATH_CHARS;
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // The working folder stays where it was, whichever folder the user visits.
    dialog.Flags =
        request.flags | OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    const BOOL chosen = request.open ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    if (!chosen)
        return false;
    path = Narrow(file.c_str());
    return true;
}

} // namespace orxwin
