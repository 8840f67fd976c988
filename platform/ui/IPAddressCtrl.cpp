#include "platform/ui/IPAddressCtrl.h"

#include "platform/ui/PrivateMessages.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CIPAddressCtrl, CWnd)

namespace {

constexpr int FIELD_MAX = 255;
constexpr int BITS_PER_FIELD = 8;

int FieldShift(int index) {
    return BITS_PER_FIELD * (CIPAddressCtrl::FIELD_COUNT - 1 - index);
}

} // namespace

int CIPAddressCtrl::GetAddress(BYTE& f0, BYTE& f1, BYTE& f2, BYTE& f3) const {
    DWORD address = 0;
    const int filled = GetAddress(address);
    f0 = static_cast<BYTE>(address >> FieldShift(0));
    f1 = static_cast<BYTE>(address >> FieldShift(1));
    f2 = static_cast<BYTE>(address >> FieldShift(2));
    f3 = static_cast<BYTE>(address >> FieldShift(3));
    return filled;
}

int CIPAddressCtrl::GetAddress(DWORD& address) const {
    return static_cast<int>(const_cast<CIPAddressCtrl*>(this)->SendMessage(
        IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)));
}

void CIPAddressCtrl::SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3) {
    SetAddress(static_cast<DWORD>(f0) << FieldShift(0) | static_cast<DWORD>(f1) << FieldShift(1) |
               static_cast<DWORD>(f2) << FieldShift(2) | static_cast<DWORD>(f3) << FieldShift(3));
}

void CIPAddressCtrl::SetAddress(DWORD address) {
    SendMessage(IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
}

void CIPAddressCtrl::ClearAddress() {
    SendMessage(IPM_CLEARADDRESS);
}

BOOL CIPAddressCtrl::IsBlank() const {
    return static_cast<BOOL>(const_cast<CIPAddressCtrl*>(this)->SendMessage(IPM_ISBLANK));
}

void CIPAddressCtrl::SetField(int index, int value) {
    SendMessage(UIM_SETFIELD, static_cast<WPARAM>(index), static_cast<LPARAM>(value));
}

int CIPAddressCtrl::GetField(int index) const {
    return static_cast<int>(
        const_cast<CIPAddressCtrl*>(this)->SendMessage(UIM_GETFIELD, static_cast<WPARAM>(index)));
}

LRESULT CIPAddressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case IPM_SETADDRESS:
        for (int i = 0; i < FIELD_COUNT; ++i)
            m_fields[i] = static_cast<int>((static_cast<DWORD>(lParam) >> FieldShift(i)) & 0xFF);
        NotifyChanged(UiChange::Address);
        return TRUE;
    case IPM_GETADDRESS: {
        DWORD address = 0;
        int filled = 0;
        for (int i = 0; i < FIELD_COUNT; ++i) {
            if (m_fields[i] != BLANK) {
                address |= static_cast<DWORD>(m_fields[i]) << FieldShift(i);
                ++filled;
            }
        }
        if (lParam != 0)
            *reinterpret_cast<DWORD*>(lParam) = address;
        return filled;
    }
    case IPM_CLEARADDRESS:
        m_fields.fill(BLANK);
        NotifyChanged(UiChange::Address);
        return 0;
    case IPM_ISBLANK:
        return std::all_of(m_fields.begin(), m_fields.end(), [](int f) { return f == BLANK; });
    case UIM_SETFIELD: {
        const auto index = static_cast<std::size_t>(wParam);
        if (index >= m_fields.size())
            return FALSE;
        const int value = static_cast<int>(lParam);
        m_fields[index] = value == BLANK ? BLANK : std::clamp(value, 0, FIELD_MAX);
        NotifyChanged(UiChange::Address);
        return TRUE;
    }
    case UIM_GETFIELD:
        return wParam < m_fields.size() ? m_fields[wParam] : BLANK;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}
