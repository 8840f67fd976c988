#pragma once
// A menu as a list of items; the front end shows it where its platform puts such a menu.

#include "platform/String.h"
#include "platform/ui/WinDefs.h"

#include <vector>

class CMenu {
public:
    struct Item {
        UINT nFlags; // MF_STRING or MF_SEPARATOR
        UINT nID;
        CString strText;
        CString strShortcut; // "Ctrl+R", for front ends that offer keyboard shortcuts; or empty
    };

    BOOL AppendMenu(UINT flags, UINT id = 0, const char* text = nullptr,
                    const char* shortcut = nullptr) {
        m_items.push_back({flags, id, CString(text), CString(shortcut)});
        return TRUE;
    }
    const std::vector<Item>& Items() const { return m_items; }

private:
    std::vector<Item> m_items;
};
