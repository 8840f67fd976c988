#include "platform/ui/MessageBox.h"

#include "platform/ui/FrontEnd.h"
#include "platform/ui/Resources.h"

int AfxMessageBox(const char* text, UINT nType, UINT nIDHelp, const char* detail) {
    return AfxGetFrontEnd().MessageBox(text ? text : "", nType, nIDHelp, detail);
}

int AfxMessageBoxWhile(const char* text, UINT nType, const std::function<bool()>& stillAsked) {
    return AfxGetFrontEnd().MessageBoxWhile(text, nType, stillAsked);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString text;
    AfxLoadString(nIDPrompt, text);
    if (nIDHelp == static_cast<UINT>(-1))
        nIDHelp = nIDPrompt;
    return AfxMessageBox(text, nType, nIDHelp);
}
