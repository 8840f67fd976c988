#include "GuiFixture.h"

#include "platform/IpAddress.h"
#include "platform/qt/AppIcon.h"
#include "transfer/TransferJobs.h"

using orxqt::DialogRectToPixels;

// Types each character into whichever widget has the focus at that moment, as a user does.
static void Type(const QString& text) {
    for (const QChar ch : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(ch));
}

// Paste as the field's context menu offers it.
static void PasteFromContextMenu(QLineEdit* field) {
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

class MainDialogTest : public GuiTest {
protected:
    void SetUp() override {
        settings.device.host = "10.1.2.250";
        Open();
    }
    // The address as its four parts show it and as a transfer would use it (used: as shown).
    void ExpectAddress(const char* shown, const char* used = nullptr) {
        QStringList parts;
        for (int i = 0; i < orxqt::IpAddressEdit::FIELD_COUNT; ++i)
            parts << Address()->field(i)->text();
        EXPECT_EQ(parts.join(QLatin1Char('.')), QString::fromLatin1(shown));
        EXPECT_EQ(dlg.DeviceToConnect().host, used ? used : shown);
    }
};

TEST_F(MainDialogTest, IsLaidOutFromItsTemplateWithIconAndNoMinimiseOrMaximiseBox) {
    const orxqt::DialogBaseUnits units = view->BaseUnits();
    const orxqt::DialogBaseUnits ofFont = orxqt::BaseUnitsOf(view->font());
    EXPECT_EQ(std::make_pair(units.x, units.y), std::make_pair(ofFont.x, ofFont.y));
    EXPECT_EQ(view->windowTitle(),
              QStringLiteral("ORX Configuration Transfer Utility, Version 1.0.00"));
    const QSize size = DialogRectToPixels(units, 0, 0, 320, 110).size();
    for (const QSize& actual : {view->size(), view->minimumSize(), view->maximumSize()})
        EXPECT_EQ(actual, size);

    for (const CDialogItem& item : dlg.GetTemplate()->items) {
        SCOPED_TRACE(item.nID);
        QWidget* widget = Item(item.nID);
        ASSERT_NE(widget, nullptr);
        const QString caption =
            widget->property(widget->inherits("QGroupBox") ? "title" : "text").toString();
        EXPECT_TRUE(item.nID == IDC_PROGRESS || caption == QString::fromLatin1(item.lpszCaption));
        EXPECT_EQ(widget->isEnabled(), (item.dwStyle & WS_DISABLED) == 0);
        EXPECT_EQ(widget->geometry(), DialogRectToPixels(units, item.x, item.y, item.cx, item.cy));
    }

    const Qt::WindowFlags flags = view->windowFlags();
    EXPECT_EQ(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                       Qt::WindowCloseButtonHint),
              Qt::WindowCloseButtonHint);
    const QList<QSize> sizes = view->windowIcon().availableSizes();
    for (const int side : {orxqt::APP_ICON_LARGE, orxqt::APP_ICON_SMALL})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
}

// The classic address control: '.', space or a third digit moves on, a '.' right after such
// a move or in an empty field is swallowed, values are clamped, letters refused, entering a
// field selects it so typing replaces it, Backspace in an empty field goes back. A whole
// dotted address pasted into any part fills all four; anything else but one part's value
// leaves the address alone. Copy takes the whole address.
TEST_F(MainDialogTest, TypedAndPastedAddressesReachTheDialog) {
    ExpectAddress("10.1.2.250");
    ShowWithFocusIn(0);
    enum How { TYPED, PASTED_BY_KEY, PASTED_FROM_MENU };
    // Typed after a click into the first part, which selects it whether it had the focus or
    // not; pasted into the third. nullptr: shown as given.
    const std::tuple<How, const char*, const char*> rows[] = {
        {TYPED, "192.168.1.10", nullptr},
        {TYPED, "10.0.0.255", nullptr},
        {TYPED, "0.0.0.0", nullptr},
        {TYPED, "1.22.133.4.", "1.22.133.4"},
        {TYPED, "192168110123", "192.168.110.123"},
        {TYPED, "255 1.2 3", "255.1.2.3"},
        {TYPED, "192168.1.22", "192.168.1.22"},
        {TYPED, "999.3x.7", "255.3.7.22"},
        {PASTED_BY_KEY, "192.168.1.10", nullptr},
        {PASTED_FROM_MENU, " 10.0.0.1\n", "10.0.0.1"},
        {PASTED_BY_KEY, "1.2.3", "10.0.0.1"},
        {PASTED_FROM_MENU, "1.2.3.256", "10.0.0.1"},
        {PASTED_BY_KEY, "7", "10.0.7.1"},
        {PASTED_FROM_MENU, "1234", "10.0.7.1"}};
    for (const auto& [how, given, shown] : rows) {
        SCOPED_TRACE(given);
        QLineEdit* field = Address()->field(how == TYPED ? 0 : 2);
        QApplication::clipboard()->setText(QString::fromLatin1(given));
        if (how == TYPED) {
            QTest::mouseClick(field, Qt::LeftButton);
            Type(QString::fromLatin1(given));
        } else if (how == PASTED_FROM_MENU) {
            PasteFromContextMenu(field);
        } else {
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        }
        ExpectAddress(shown ? shown : given);
    }
    QTest::keyClick(Address()->field(1), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("10.0.7.1"));
    ShowWithFocusIn(3);
    Type(QStringLiteral("\b\b"));
    EXPECT_EQ(QApplication::focusWidget(), Address()->field(2));
    ExpectAddress("10.0.7.", "10.0.7.0");
    QTest::keyClick(Address()->field(2), Qt::Key_A, Qt::ControlModifier);
    Type(QStringLiteral("192.168.1.5"));
    ExpectAddress("192.168.1.5");
}

// The address field is one tab stop, whichever of its parts has the focus. No button is the
// default one; Enter on a focused button presses it and does not end the dialog.
TEST_F(MainDialogTest, KeyboardTabsInTemplateOrderAndEscOrEnterInTheAddressEndsTheIdleDialog) {
    ShowWithFocusIn(0);
    for (const int expected : {IDC_UPLOAD, IDC_DOWNLOAD}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Item(expected));
    }
    Address()->field(2)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Item(IDC_UPLOAD));
    std::vector<CString> asked;
    answers.SetMessageBoxAnswer([&](const CString& text, UINT) {
        asked.push_back(text);
        return static_cast<int>(IDNO);
    });
    for (QPushButton* button : view->findChildren<QPushButton*>())
        EXPECT_FALSE(button->isDefault() || button->autoDefault());
    for (const int id : {IDC_UPLOAD, IDC_DOWNLOAD}) {
        Item(id)->setFocus();
        QTest::keyClick(Item(id), Qt::Key_Return);
    }
    QTest::keyClick(view, Qt::Key_U, Qt::AltModifier); // the captions' mnemonics
    QTest::keyClick(view, Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(WaitUntil([&] { return asked.size() == 4; }));
    EXPECT_EQ(asked, (std::vector<CString>{UPLOAD_QUESTION, DOWNLOAD_QUESTION, UPLOAD_QUESTION,
                                           DOWNLOAD_QUESTION}));
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
    frontEnd.AddViewShownHook([&](orxqt::QtDialogView& about) {
        if (about.Dialog().GetTemplateID() != IDD_ABOUTBOX)
            return;
        ++shown;
        EXPECT_EQ(about.windowModality(), Qt::ApplicationModal);
        auto* ok = qobject_cast<QPushButton*>(about.Item(IDOK));
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(ok->isDefault());
        QStringList texts;
        for (QLabel* label : about.findChildren<QLabel*>())
            texts << (label->pixmap().isNull() ? label->text() : QStringLiteral("icon"));
        EXPECT_TRUE(texts.contains(QStringLiteral("ORX Configuration, Version 1.0")) &&
                    texts.contains(QStringLiteral("icon")));
        ok->click();
    });

    const std::unique_ptr<QMenu> menu = view->BuildSystemMenu();
    const QList<QAction*> actions = menu->actions();
    QStringList texts;
    for (const QAction* action : actions)
        texts << action->text() + ' ' + action->shortcut().toString();
    EXPECT_EQ(texts, QStringList({"&About ORX Configuration... ", "Open &Backup Folder ",
                                  "&Restore Last Backup... Ctrl+R",
                                  "&Verify Against File... Ctrl+Shift+V"}));
    actions[0]->trigger();
    EXPECT_TRUE(WaitUntil([&] { return shown == 1; }));

    view->activateWindow();
    QApplication::setActiveWindow(view);
    QTest::keyClick(view, Qt::Key_F1);
    EXPECT_TRUE(WaitUntil([&] { return shown == 2; }));
    EXPECT_TRUE(dlg.ContinueModal()); // the About box's OK does not end the main dialog

    // A shortcut works with the menu closed: the verify asks for its file.
    CString asked;
    answers.SetFileAnswer([&](const CFileRequest& request, CString&) {
        asked = request.strTitle;
        return INT_PTR{IDCANCEL};
    });
    view->activateWindow();
    QApplication::setActiveWindow(view);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(WaitUntil([&] { return !asked.IsEmpty() && !dlg.IsTransferRunning(); }));
    EXPECT_EQ(asked, "Choose File to Verify");
}

// Base units of the template's shell dialog font at 96 dpi; halves round up.
TEST(DialogUnits, ConvertFromTheEightPointTemplateFontRoundingHalvesUp) {
    constexpr orxqt::DialogBaseUnits SHELL_DLG_UNITS{6, 13};
    EXPECT_EQ(DialogRectToPixels(SHELL_DLG_UNITS, 6, 6, 320, 110), QRect(9, 10, 480, 179));
    EXPECT_EQ(orxqt::DialogYToPixels(SHELL_DLG_UNITS, 1), 2); // 1.625
    EXPECT_EQ(orxqt::DialogXToPixels(SHELL_DLG_UNITS, 3), 5); // 4.5
    EXPECT_EQ(orxqt::DialogXToPixels(SHELL_DLG_UNITS, 1), 2); // 1.5
    const QFont font = orxqt::DialogFont();
    // The template's Windows face stands for one Linux has; 8 points at 96 dpi.
    EXPECT_EQ(std::pair(font.family(), font.pixelSize()), std::pair(QString("DejaVu Sans"), 11));
    const orxqt::DialogBaseUnits units = orxqt::BaseUnitsOf(font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(units.y, metrics.height());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_NEAR(units.x, metrics.horizontalAdvance(letters) / double(letters.size()), 1.0);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // also when listing the tests
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
