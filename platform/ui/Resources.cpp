#include "platform/ui/Resources.h"

#include <atomic>

namespace {
std::atomic<const CResourceModule*> g_module{nullptr};
}

const CResourceModule* AfxSetResourceModule(const CResourceModule* module) {
    return g_module.exchange(module);
}

const CResourceModule* AfxGetResourceModule() {
    return g_module.load();
}

const CDialogTemplate* AfxFindDialogTemplate(UINT id) {
    const CResourceModule* module = AfxGetResourceModule();
    if (module == nullptr)
        return nullptr;
    for (const CDialogTemplate& dialog : module->dialogs) {
        if (dialog.nID == id)
            return &dialog;
    }
    return nullptr;
}

const CDialogItem* AfxFindDialogItem(const CDialogTemplate& dialog, int id) {
    for (const CDialogItem& item : dialog.items) {
        if (item.nID == id)
            return &item;
    }
    return nullptr;
}

BOOL AfxLoadString(UINT id, CString& text) {
    text.Empty();
    const CResourceModule* module = AfxGetResourceModule();
    if (module == nullptr)
        return FALSE;
    for (const CStringResource& entry : module->strings) {
        if (entry.nID == id) {
            text = entry.lpszText;
            return TRUE;
        }
    }
    return FALSE;
}

HICON AfxLoadIcon(UINT id) {
    const CResourceModule* module = AfxGetResourceModule();
    if (module == nullptr)
        return HICON{};
    for (const CIconResource& icon : module->icons) {
        if (icon.nID == id)
            return HICON{id};
    }
    return HICON{};
}
