#include "platform/ui/ProgressCtrl.h"

#include "platform/ui/PrivateMessages.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

void CProgressCtrl::SetRange(short lower, short upper) {
    SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(lower), static_cast<WORD>(upper)));
}

void CProgressCtrl::GetRange(int& lower, int& upper) const {
    auto* self = const_cast<CProgressCtrl*>(this);
    lower = static_cast<int>(self->SendMessage(PBM_GETRANGE, TRUE));
    upper = static_cast<int>(self->SendMessage(PBM_GETRANGE, FALSE));
}

int CProgressCtrl::SetPos(int pos) {
    return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos)));
}

int CProgressCtrl::GetPos() const {
    return static_cast<int>(const_cast<CProgressCtrl*>(this)->SendMessage(PBM_GETPOS));
}

int CProgressCtrl::SetStep(int step) {
    return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step)));
}

int CProgressCtrl::GetStep() const {
    return static_cast<int>(const_cast<CProgressCtrl*>(this)->SendMessage(UIM_GETSTEP));
}

int CProgressCtrl::StepIt() {
    return static_cast<int>(SendMessage(PBM_STEPIT));
}

int CProgressCtrl::Clamp(int pos) const {
    return std::clamp(pos, m_nLower, std::max(m_nLower, m_nUpper));
}

LRESULT CProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const int previousPos = m_nPos;
    switch (message) {
    case PBM_SETRANGE: {
        const LPARAM previous =
            MAKELPARAM(static_cast<WORD>(m_nLower), static_cast<WORD>(m_nUpper));
        m_nLower = LOWORD(static_cast<DWORD>(lParam));
        m_nUpper = HIWORD(static_cast<DWORD>(lParam));
        NotifyChanged(UiChange::ProgressRange);
        m_nPos = Clamp(m_nPos);
        if (m_nPos != previousPos)
            NotifyChanged(UiChange::ProgressPos);
        return previous;
    }
    case PBM_SETPOS:
        m_nPos = Clamp(static_cast<int>(wParam));
        NotifyChanged(UiChange::ProgressPos);
        return previousPos;
    case PBM_DELTAPOS:
        m_nPos = Clamp(m_nPos + static_cast<int>(wParam));
        NotifyChanged(UiChange::ProgressPos);
        return previousPos;
    case PBM_SETSTEP: {
        const int previous = m_nStep;
        m_nStep = static_cast<int>(wParam);
        NotifyChanged(UiChange::ProgressStep);
        return previous;
    }
    case PBM_STEPIT:
        m_nPos += m_nStep;
        // Past either end the bar starts over from the other, as a Windows bar does.
        if (m_nPos > m_nUpper)
            m_nPos = m_nLower;
        else if (m_nPos < m_nLower)
            m_nPos = m_nUpper;
        NotifyChanged(UiChange::ProgressPos);
        return previousPos;
    case PBM_GETPOS:
        return m_nPos;
    case PBM_GETRANGE:
        return wParam ? m_nLower : m_nUpper;
    case UIM_GETSTEP:
        return m_nStep;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}
