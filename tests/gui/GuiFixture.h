#pragma once
// The Qt front end installed for one test, with a bounded wait that keeps the interface
// thread handling events (workers' control changes, posted clicks).

#include "app/ORXConfigurationDlg.h"
#include "app/qt/GuiShell.h"
#include "platform/qt/IpAddressEdit.h"
#include "platform/qt/QtFrontEnd.h"
#include "support/AnsweringFrontEnd.h"

#include <QTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <chrono>

constexpr std::chrono::seconds GUI_WAIT_LIMIT{30};

class GuiTest : public ::testing::Test {
protected:
    GuiTest() { ConfigureGuiFrontEnd(frontEnd, GuiOptions{}); }

    // True when condition became true before the limit.
    bool WaitUntil(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + GUI_WAIT_LIMIT;
        frontEnd.RunUntil(
            [&] { return condition() || std::chrono::steady_clock::now() >= deadline; });
        return condition();
    }

    // The main dialog with settings, created by Open and shown through its Qt view.
    void Open() {
        dlg.UseSettings(settings);
        ASSERT_TRUE(dlg.Create());
        view = frontEnd.ViewOf(dlg);
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        if (view != nullptr)
            dlg.DestroyWindow();
    }

    QWidget* Item(int id) const { return view->Item(id); }
    orxqt::IpAddressEdit* Address() const {
        return static_cast<orxqt::IpAddressEdit*>(Item(IDC_IPADDRESS));
    }
    // Shown and active, with the focus in field of the address, for key presses.
    void ShowWithFocusIn(int field) {
        view->show();
        view->activateWindow();
        QApplication::setActiveWindow(view);
        Address()->field(field)->setFocus();
    }

    orxqt::QtFrontEnd frontEnd;
    CAnsweringFrontEnd answers{frontEnd}; // installed: answers the questions a test sets
    CFrontEndScope m_scope{answers};
    TransferDialogSettings settings;
    CORXConfigurationDlg dlg;
    orxqt::QtDialogView* view = nullptr;
};
