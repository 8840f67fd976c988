#include "platform/win32/Native.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace orxwin {

namespace {

constexpr int FIELD_MAX = 255;
constexpr int CLASS_NAME_CHARS = 64;

HWND Hwnd(Window window) {
    return static_cast<HWND>(window);
}

bool IsAddressControl(HWND window) {
    wchar_t name[CLASS_NAME_CHARS] = {};
    return GetClassNameW(window, name, CLASS_NAME_CHARS) > 0 && lstrcmpW(name, WC_IPADDRESSW) == 0;
}

BOOL OnCommand(DialogEvents& events, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    switch (HIWORD(wParam)) {
    case BN_CLICKED: // also Enter and Esc, as IDOK and IDCANCEL
        events.OnCommand(id);
        return TRUE;
    case EN_CHANGE:
        if (!IsAddressControl(reinterpret_cast<HWND>(lParam)))
            return FALSE;
        events.OnAddressEdited(id);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE; // the focus to the first tab stop
    }
    auto* events = reinterpret_cast<DialogEvents*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (events == nullptr)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return OnCommand(*events, wParam, lParam);
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == static_cast<UINT>(IPN_FIELDCHANGED))
            events->OnAddressEdited(static_cast<int>(header->idFrom));
        return FALSE;
    }
    case WM_SYSCOMMAND:
        return events->OnSysCommand(static_cast<unsigned>(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
        events->OnClose();
        return TRUE;
    case WM_QUERYENDSESSION:
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE); // it may end
        return TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE)
            events->OnEndSession();
        return TRUE;
    default:
        return FALSE;
    }
}

// The four edit fields of an address control, left to right.
std::array<HWND, ADDRESS_FIELDS> FieldEdits(HWND address) {
    std::vector<std::pair<LONG, HWND>> children;
    for (HWND child = GetWindow(address, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        children.emplace_back(rect.left, child);
    }
    std::sort(children.begin(), children.end());
    std::array<HWND, ADDRESS_FIELDS> fields{};
    for (std::size_t i = 0; i < fields.size() && i < children.size(); ++i)
        fields[i] = children[i].second;
    return fields;
}

int FieldValue(HWND edit) {
    wchar_t text[8] = {};
    if (edit == nullptr || GetWindowTextW(edit, text, 8) == 0)
        return BLANK_FIELD;
    return std::min(static_cast<int>(std::wcstol(text, nullptr, 10)), FIELD_MAX);
}

HICON LoadProgramIcon(unsigned iconId, int sizeMetric) {
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                         MAKEINTRESOURCEW(static_cast<WORD>(iconId)), IMAGE_ICON,
                                         size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

} // namespace

Window CreateDialogWindow(const std::vector<std::uint16_t>& dialogTemplate, Window owner,
                          DialogEvents& events) {
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                      reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                      Hwnd(owner), DialogProc, reinterpret_cast<LPARAM>(&events));
}

void ShowDialogWindow(Window dialog) {
    HWND hwnd = Hwnd(dialog);
    if (HWND owner = GetWindow(hwnd, GW_OWNER))
        EnableWindow(owner, FALSE); // modal
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    HWND focus = GetFocus();
    if (focus == nullptr || !IsChild(hwnd, focus)) {
        SendMessageW(hwnd, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(GetNextDlgTabItem(hwnd, nullptr, FALSE)), TRUE);
    }
}

void DestroyDialogWindow(Window dialog) {
    HWND hwnd = Hwnd(dialog);
    // The owner comes back first, so that it is the one activated.
    if (HWND owner = GetWindow(hwnd, GW_OWNER))
        EnableWindow(owner, TRUE);
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    DestroyWindow(hwnd);
}

Window DialogItem(Window dialog, int id) {
    return GetDlgItem(Hwnd(dialog), id);
}

void SetEnabled(Window control, bool enabled) {
    HWND hwnd = Hwnd(control);
    HWND focus = GetFocus();
    if (!enabled && focus != nullptr && (focus == hwnd || IsChild(hwnd, focus)))
        SendMessageW(GetParent(hwnd), WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(hwnd, enabled ? TRUE : FALSE);
}

void SetText(Window window, const std::string& text) {
    SetWindowTextW(Hwnd(window), Widen(text).c_str());
}

void SetProgress(Window bar, int lower, int upper, int step, int pos) {
    HWND hwnd = Hwnd(bar);
    SendMessageW(hwnd, PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
    SendMessageW(hwnd, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
    SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

AddressFields GetAddressFields(Window address) {
    const auto edits = FieldEdits(Hwnd(address));
    AddressFields fields{};
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = FieldValue(edits[i]);
    return fields;
}

void SetAddressFields(Window address, const AddressFields& fields) {
    const auto edits = FieldEdits(Hwnd(address));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (edits[i] == nullptr || FieldValue(edits[i]) == fields[i])
            continue; // a field being typed is left alone
        const std::wstring text = fields[i] == BLANK_FIELD ? L"" : std::to_wstring(fields[i]);
        SetWindowTextW(edits[i], text.c_str());
    }
}

void SetWindowIcon(Window window, unsigned iconId) {
    HWND hwnd = Hwnd(window);
    SendMessageW(hwnd, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadProgramIcon(iconId, SM_CXICON)));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadProgramIcon(iconId, SM_CXSMICON)));
}

void AppendSystemMenu(Window dialog, unsigned flags, unsigned id, const std::string& text) {
    HMENU menu = GetSystemMenu(Hwnd(dialog), FALSE);
    if (menu == nullptr)
        return;
    if ((flags & MF_SEPARATOR) != 0)
        AppendMenuW(menu, flags, 0, nullptr);
    else
        AppendMenuW(menu, flags, id, Widen(text).c_str());
}

} // namespace orxwin
