#pragma once
// Progress bar driven by the Windows progress-bar messages (PBM_*). Defaults: range 0 to
// 100, step 10, position 0. The position is kept within the range; PBM_STEPIT past the upper
// bound starts over at the lower bound, as a Windows progress bar does.

#include "platform/ui/Wnd.h"

class CProgressCtrl : public CWnd {
    DECLARE_DYNAMIC(CProgressCtrl)
public:
    static constexpr int DEFAULT_UPPER = 100;
    static constexpr int DEFAULT_STEP = 10;

    void SetRange(short lower, short upper); // PBM_SETRANGE
    void GetRange(int& lower, int& upper) const;
    int SetPos(int pos);   // PBM_SETPOS; returns the previous position
    int GetPos() const;    // PBM_GETPOS
    int SetStep(int step); // PBM_SETSTEP; returns the previous step
    int GetStep() const;
    int StepIt(); // PBM_STEPIT; returns the previous position

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int Clamp(int pos) const;

    int m_nLower = 0;
    int m_nUpper = DEFAULT_UPPER;
    int m_nStep = DEFAULT_STEP;
    int m_nPos = 0;
};
