#include "GuiFixture.h"

#include "platform/qt/AppIcon.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

using orxqt::DialogRectToPixels;
using orxqt::QtDialogView;

namespace {

// The main dialog as its template describes it, in dialog units.
constexpr const char* MAIN_CAPTION = "ORX Configuration Transfer Utility, Version 1.0.00";
constexpr int MAIN_CX = 320;
constexpr int MAIN_CY = 110;
constexpr const char* GIVEN_HOST = "10.1.2.250";

struct ExpectedItem {
    int id;
    const char* kind;    // the Qt class that shows it
    const char* caption; // nullptr: none to check
    bool enabled;
    int x, y, cx, cy;
};

constexpr ExpectedItem MAIN_ITEMS[] = {
    {IDC_IP_GROUP, "QGroupBox", "ORX IP Address", true, 6, 6, 306, 36},
    {IDC_IPADDRESS, "orxqt::IpAddressEdit", "", true, 12, 18, 100, 15},
    {IDC_TRANSFER_GROUP, "QGroupBox", "Upload/Download", true, 6, 48, 306, 54},
    {IDC_UPLOAD, "QPushButton", "Upload from ORX", true, 12, 60, 84, 14},
    {IDC_DOWNLOAD, "QPushButton", "Download to ORX", true, 102, 60, 84, 14},
    {IDC_CANCEL_TRANSFER, "QPushButton", "Cancel", false, 192, 60, 50, 14},
    {IDC_STATUS, "QLabel", "", true, 120, 21, 186, 8},
    {IDC_PROGRESS, "QProgressBar", nullptr, true, 12, 78, 294, 14},
};

constexpr const char* ABOUT_CAPTION = "About ORX Configuration";
constexpr const char* ABOUT_MENU_TEXT = "&About ORX Configuration...";
constexpr const char* ABOUT_VERSION = "ORX Configuration, Version 1.0";
constexpr int ABOUT_CX = 170;
constexpr int ABOUT_CY = 62;

QString Caption(const QWidget* widget) {
    return widget->property(widget->inherits("QGroupBox") ? "title" : "text").toString();
}

// Types each character into whichever widget has the focus at that moment, as a user does.
void Type(const QString& text) {
    for (const QChar ch : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(ch));
}

QString AddressText(const orxqt::IpAddressEdit* edit) {
    QStringList parts;
    for (int i = 0; i < orxqt::IpAddressEdit::FIELD_COUNT; ++i)
        parts << edit->field(i)->text();
    return parts.join(QLatin1Char('.'));
}

// The address a transfer would connect to.
QString UsedAddress(const CORXConfigurationDlg& dlg) {
    BYTE f[4] = {};
    dlg.m_ipAddress.GetAddress(f[0], f[1], f[2], f[3]);
    return QStringLiteral("%1.%2.%3.%4").arg(f[0]).arg(f[1]).arg(f[2]).arg(f[3]);
}

// Paste as the field's context menu offers it.
void PasteFromContextMenu(QLineEdit* field) {
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
        for (QAction* action : menu->actions())
            if (action->text().startsWith(paste))
                action->trigger();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), field->mapToGlobal(QPoint()));
    QApplication::sendEvent(field, &event);
}

class MainDialogTest : public MainDialogFixture {
protected:
    void SetUp() override {
        dlg.m_strInitialHost = GIVEN_HOST;
        Open();
    }
};

} // namespace

TEST_F(MainDialogTest, IsLaidOutFromItsTemplateWithIconAndNoMinimiseOrMaximiseBox) {
    const orxqt::DialogBaseUnits units = view->BaseUnits();
    EXPECT_EQ(units.x, orxqt::BaseUnitsOf(view->font()).x);
    EXPECT_EQ(units.y, orxqt::BaseUnitsOf(view->font()).y);
    EXPECT_EQ(view->windowTitle(), QString::fromLatin1(MAIN_CAPTION));
    const QSize size = DialogRectToPixels(units, 0, 0, MAIN_CX, MAIN_CY).size();
    for (const QSize& actual : {view->size(), view->minimumSize(), view->maximumSize()})
        EXPECT_EQ(actual, size);

    for (const ExpectedItem& item : MAIN_ITEMS) {
        SCOPED_TRACE(item.id);
        QWidget* widget = Item(item.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->inherits(item.kind));
        if (item.caption != nullptr) {
            EXPECT_EQ(Caption(widget), QString::fromLatin1(item.caption));
        }
        EXPECT_EQ(widget->isEnabled(), item.enabled);
        EXPECT_EQ(widget->geometry(), DialogRectToPixels(units, item.x, item.y, item.cx, item.cy));
    }

    const Qt::WindowFlags flags = view->windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    const QList<QSize> sizes = view->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(orxqt::APP_ICON_LARGE, orxqt::APP_ICON_LARGE)));
    EXPECT_TRUE(sizes.contains(QSize(orxqt::APP_ICON_SMALL, orxqt::APP_ICON_SMALL)));
}

// The classic address control: '.', space or a third digit moves on, a '.' right after such
// a move or in an empty field is swallowed, values are clamped, letters refused, entering a
// field selects it so typing replaces it, Backspace in an empty field goes back.
TEST_F(MainDialogTest, TypedAddressesReachTheDialog) {
    EXPECT_EQ(AddressText(Address()), QString::fromLatin1(GIVEN_HOST));
    ShowWithFocusIn(0);
    const std::pair<const char*, const char*> rows[] = {
        {"192.168.1.10", "192.168.1.10"}, {"127.1.2.3", "127.1.2.3"},
        {"10.0.0.255", "10.0.0.255"},     {"0.0.0.0", "0.0.0.0"},
        {"1.22.133.4", "1.22.133.4"},     {"192168110123", "192.168.110.123"},
        {"255 1.2 3", "255.1.2.3"},       {"192168.1.22", "192.168.1.22"},
        {"999.3x.7", "255.3.7.22"},
    };
    for (const auto& [typed, shown] : rows) {
        SCOPED_TRACE(typed);
        // The first click into a part, whether it had the focus or not, selects it.
        QTest::mouseClick(Address()->field(0), Qt::LeftButton);
        Type(QString::fromLatin1(typed));
        EXPECT_EQ(AddressText(Address()), QString::fromLatin1(shown));
        EXPECT_EQ(UsedAddress(dlg), QString::fromLatin1(shown));
    }

    Address()->field(3)->setFocus();
    Type(QStringLiteral("\b\b"));
    EXPECT_EQ(QApplication::focusWidget(), Address()->field(2));
    EXPECT_EQ(AddressText(Address()), QStringLiteral("255.3.7."));
    EXPECT_EQ(UsedAddress(dlg), QStringLiteral("255.3.7.0"));
}

// A whole dotted address pasted into any part fills all four; anything else but one part's
// value leaves the address alone. Copy takes the whole address.
TEST_F(MainDialogTest, PastedAddressFillsEveryPartAndCopyTakesTheWholeAddress) {
    ShowWithFocusIn(2);
    struct Row {
        const char* pasted;
        bool fromMenu;
        const char* shown;
    };
    const Row rows[] = {
        {"192.168.1.10", false, "192.168.1.10"},
        {" 10.0.0.1\n", true, "10.0.0.1"},
        {"1.2.3", false, "10.0.0.1"},
        {"1.2.3.256", true, "10.0.0.1"},
        {"7", false, "10.0.7.1"},
        {"1234", true, "10.0.7.1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pasted);
        QApplication::clipboard()->setText(QString::fromLatin1(row.pasted));
        if (row.fromMenu)
            PasteFromContextMenu(Address()->field(2));
        else
            QTest::keyClick(Address()->field(2), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(AddressText(Address()), QString::fromLatin1(row.shown));
        EXPECT_EQ(UsedAddress(dlg), QString::fromLatin1(row.shown));
    }
    QTest::keyClick(Address()->field(1), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("10.0.7.1"));
}

TEST_F(MainDialogTest, TabMovesThroughTheTabStopsInTemplateOrder) {
    ShowWithFocusIn(0);
    // The address field is one stop, whichever of its parts has the focus.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Item(IDC_UPLOAD));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Item(IDC_DOWNLOAD));
    Address()->field(2)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Item(IDC_UPLOAD));
}

// No button is the default one, so Enter on a focused button neither presses it nor ends the
// dialog.
TEST_F(MainDialogTest, EnterPressesNoButtonAndEscOrEnterInTheAddressFieldEndsTheDialogWhileIdle) {
    int asked = 0;
    frontEnd.SetMessageBoxAnswer([&](const CString&, UINT) {
        ++asked;
        return static_cast<int>(IDNO);
    });
    for (QPushButton* button : view->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault() || button->autoDefault());
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(dlg.ContinueModal());

    Address()->field(2)->setFocus();
    QTest::keyClick(Address()->field(2), Qt::Key_Return);
    EXPECT_TRUE(WaitUntil([&] { return !dlg.ContinueModal(); }));
    CORXConfigurationDlg other;
    ASSERT_TRUE(other.Create());
    QTest::keyClick(frontEnd.ViewOf(other), Qt::Key_Escape);
    EXPECT_TRUE(WaitUntil([&] { return !other.ContinueModal(); }));
    other.DestroyWindow();
}

TEST_F(MainDialogTest, AboutBoxFromContextMenuAndF1) {
    int shown = 0;
    frontEnd.AddViewShownHook([&](QtDialogView& about) {
        if (about.Dialog().GetTemplateID() != IDD_ABOUTBOX)
            return;
        ++shown;
        EXPECT_EQ(about.windowTitle(), QString::fromLatin1(ABOUT_CAPTION));
        EXPECT_EQ(about.size(),
                  DialogRectToPixels(about.BaseUnits(), 0, 0, ABOUT_CX, ABOUT_CY).size());
        EXPECT_EQ(about.windowModality(), Qt::ApplicationModal);
        auto* ok = qobject_cast<QPushButton*>(about.Item(IDOK));
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(ok->isDefault());
        QStringList texts;
        for (QLabel* label : about.findChildren<QLabel*>())
            texts << (label->pixmap().isNull() ? label->text() : QStringLiteral("icon"));
        EXPECT_TRUE(texts.contains(QString::fromLatin1(ABOUT_VERSION)));
        EXPECT_TRUE(texts.contains(QStringLiteral("icon")));
        ok->click();
    });

    const std::unique_ptr<QMenu> menu = view->BuildSystemMenu();
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QString::fromLatin1(ABOUT_MENU_TEXT));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("Open &Backup Folder"));
    actions[0]->trigger();
    EXPECT_TRUE(WaitUntil([&] { return shown == 1; }));

    view->activateWindow();
    QApplication::setActiveWindow(view);
    QTest::keyClick(view, Qt::Key_F1);
    EXPECT_TRUE(WaitUntil([&] { return shown == 2; }));
    EXPECT_TRUE(dlg.ContinueModal()); // the About box's OK does not end the main dialog
}
