#include "platform/win32/Native.h"

#include <windows.h>

namespace orxwin {

namespace {

constexpr UINT WM_ORX_POSTED = WM_APP + 1;
constexpr UINT WM_ORX_SEND = WM_APP + 2; // lParam: const std::function<void()>*
constexpr UINT_PTR WAKE_TIMER = 1;
// A backstop for loop conditions that change without a message to wake the loop.
constexpr UINT WAKE_INTERVAL_MS = 50;
constexpr wchar_t CALL_WINDOW_CLASS[] = L"OrxCallWindow";
constexpr int CLASS_NAME_CHARS = 16;
constexpr wchar_t DIALOG_CLASS[] = L"#32770";

LRESULT CALLBACK CallWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ORX_POSTED:
        if (auto* calls = reinterpret_cast<CallWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
            calls->RunPosted();
        return 0;
    case WM_ORX_SEND:
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    case WM_TIMER:
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

bool RegisterCallWindowClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = CallWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = CALL_WINDOW_CLASS;
    return RegisterClassExW(&windowClass) != 0;
}

bool IsDialog(HWND window) {
    wchar_t name[CLASS_NAME_CHARS] = {};
    return GetClassNameW(window, name, CLASS_NAME_CHARS) > 0 && lstrcmpW(name, DIALOG_CLASS) == 0;
}

// Tab, Enter, Esc and the arrows, as a dialog's own loop handles them.
bool IsDialogKey(MSG& msg) {
    HWND root = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    return root != nullptr && IsDialog(root) && IsDialogMessageW(root, &msg);
}

} // namespace

CallWindow::CallWindow() {
    static const bool registered = RegisterCallWindowClass();
    (void)registered;
    HWND hwnd = CreateWindowExW(0, CALL_WINDOW_CLASS, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_hwnd = hwnd;
}

CallWindow::~CallWindow() {
    DestroyWindow(static_cast<HWND>(m_hwnd));
}

void CallWindow::Post(std::function<void()> call) {
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(std::move(call));
    }
    PostMessageW(static_cast<HWND>(m_hwnd), WM_ORX_POSTED, 0, 0);
}

void CallWindow::Send(const std::function<void()>& call) {
    // No exception may cross the window procedure; it goes over to the caller instead.
    std::exception_ptr error;
    const std::function<void()> guarded = [&] {
        try {
            call();
        } catch (...) {
            error = std::current_exception();
        }
    };
    SendMessageW(static_cast<HWND>(m_hwnd), WM_ORX_SEND, 0, reinterpret_cast<LPARAM>(&guarded));
    if (error)
        std::rethrow_exception(error);
}

void CallWindow::RunPosted() {
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(m_mutex);
            if (m_posted.empty())
                return;
            call = std::move(m_posted.front());
            m_posted.pop_front();
        }
        try {
            call();
        } catch (...) {
            if (!m_error)
                m_error = std::current_exception();
        }
    }
}

void CallWindow::RunUntil(const std::function<bool()>& done) {
    HWND hwnd = static_cast<HWND>(m_hwnd);
    if (m_depth++ == 0)
        SetTimer(hwnd, WAKE_TIMER, WAKE_INTERVAL_MS, nullptr);
    MSG msg;
    while (!m_error && !done()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam)); // for the outermost loop
            break;
        }
        if (!IsDialogKey(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (--m_depth == 0)
        KillTimer(hwnd, WAKE_TIMER);
    if (m_error)
        std::rethrow_exception(std::exchange(m_error, nullptr));
}

} // namespace orxwin
