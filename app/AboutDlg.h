#pragma once
// The About box.

#include "app/Resource.h"
#include "platform/ui/Dialog.h"

class CAboutDlg : public CDialog {
    DECLARE_DYNAMIC(CAboutDlg)
public:
    enum { IDD = IDD_ABOUTBOX };
    CAboutDlg();
};
