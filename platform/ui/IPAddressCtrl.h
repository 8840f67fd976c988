#pragma once
// IPv4 address field: four fields of 0 to 255, each possibly blank (starts all blank).

#include "platform/ui/Wnd.h"

#include <array>

class CIPAddressCtrl : public CWnd {
    DECLARE_DYNAMIC(CIPAddressCtrl)
public:
    static constexpr int FIELD_COUNT = 4;
    static constexpr int BLANK = -1;

    // Blank fields read 0; returns the count of non-blank fields.
    int GetAddress(BYTE& f0, BYTE& f1, BYTE& f2, BYTE& f3) const;
    int GetAddress(DWORD& address) const; // first field in the high byte
    void SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3);
    void SetAddress(DWORD address); // IPM_SETADDRESS
    void ClearAddress();            // IPM_CLEARADDRESS
    BOOL IsBlank() const;           // IPM_ISBLANK

    // Field by field, for front ends that mirror typing: value 0..255 or BLANK.
    // Values outside are stored clamped to 0..255.
    void SetField(int index, int value);
    int GetField(int index) const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::array<int, FIELD_COUNT> m_fields{BLANK, BLANK, BLANK, BLANK};
};
