// Message boxes and file dialogs as a person sees them: asked from a worker thread, shown
// on the interface thread, answered here through the widgets, the worker held meanwhile.
#include "GuiFixture.h"

#include <future>

constexpr const char* CSV_FILTER = "Comma Separated Values (*.CSV)|*.CSV|";
constexpr int POLL_MS = 20;

class QtQuestionsTest : public GuiTest {
protected:
    // Runs ask on a worker thread; answer runs on the interface thread once a modal window
    // is up, with that window. Returns what ask returned.
    template <typename Result>
    Result AskFromWorker(const std::function<Result()>& ask,
                         const std::function<void(QWidget*)>& answer) {
        std::future<Result> result = std::async(std::launch::async, ask);
        const auto returned = [&] {
            return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        };
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr)
                return;
            poll.stop();
            EXPECT_FALSE(returned()); // the worker waits for the answer
            answer(modal);
        });
        poll.start(POLL_MS);
        EXPECT_TRUE(WaitUntil(returned) && !poll.isActive());
        return result.get();
    }
};

TEST_F(QtQuestionsTest, MessageBoxesShowTheirTextIconAndButtonsAndReportTheAnswer) {
    using Box = QMessageBox;
    const std::tuple<UINT, Box::Icon, Box::StandardButtons, Box::StandardButton, int, const char*>
        rows[] = {
            // type, icon, buttons, the one pressed, the answer, the text under the message
            {MB_ICONEXCLAMATION | MB_OK, Box::Warning, Box::Ok, Box::Ok, IDOK, "row 5, line 10: x"},
            {MB_YESNO, Box::NoIcon, Box::Yes | Box::No, Box::Yes, IDYES, nullptr},
            {MB_YESNO, Box::NoIcon, Box::Yes | Box::No, Box::No, IDNO, ""},
            {MB_ICONEXCLAMATION | MB_CONTINUECANCEL, Box::Warning, Box::Ok | Box::Cancel, Box::Ok,
             IDOK, "row 1, line 6: x"},
        };
    for (const auto& [type, icon, buttons, press, expected, detail] : rows) {
        SCOPED_TRACE(expected);
        const int answer = AskFromWorker<int>(
            [&] { return frontEnd.MessageBox("Error connecting to ORX!", type, 0, detail); },
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->text(), QStringLiteral("Error connecting to ORX!"));
                EXPECT_EQ(box->windowTitle(), QString::fromLatin1(MESSAGE_BOX_CAPTION));
                EXPECT_EQ(box->icon(), icon);
                EXPECT_EQ(box->informativeText(), QString::fromLatin1(detail ? detail : ""));
                EXPECT_EQ(box->standardButtons(), buttons);
                // Continue is no OK: it goes on at a risk, so Cancel is the default.
                const bool risky = (type & MB_TYPEMASK) == MB_CONTINUECANCEL;
                EXPECT_EQ(box->button(Box::Cancel) &&
                              box->defaultButton() == box->button(Box::Cancel),
                          risky);
                EXPECT_EQ(box->button(Box::Ok) && box->button(Box::Ok)->text() == "Continue",
                          risky);
                box->button(press)->click();
            });
        EXPECT_EQ(answer, expected);
    }
}

// However short its text, a box is wide enough for its whole title.
TEST_F(QtQuestionsTest, ABoxIsWideEnoughForItsTitle) {
    frontEnd.SetMessageBoxCaption(QStringLiteral("ORX Configuration Transfer Utility, site 12"));
    AskFromWorker<int>([&] { return frontEnd.MessageBox("Done.", MB_OK, 0, nullptr); },
                       [](QWidget* modal) {
                           QFont title = modal->font();
                           title.setBold(true);
                           EXPECT_GT(modal->width(),
                                     QFontMetrics(title).horizontalAdvance(modal->windowTitle()));
                           qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
                       });
}

// The close box's question, once the transfer it asks about has ended: it closes as No.
TEST_F(QtQuestionsTest, AQuestionThatLosesItsObjectClosesItselfAsNo) {
    std::atomic<bool> asked{true};
    const int answer = AskFromWorker<int>(
        [&] {
            return frontEnd.MessageBoxWhile("Cancel it?", MB_YESNO, [&] { return asked.load(); });
        },
        [&](QWidget*) { asked = false; });
    EXPECT_EQ(answer, static_cast<int>(IDNO));
}

TEST_F(QtQuestionsTest, SaveDialogAddsTheExtensionAndAsksBeforeOverwriting) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile(dir.filePath(QStringLiteral("old.csv"))).open(QIODevice::WriteOnly));
    const CFileRequest request{
        FALSE,      "csv", "*.csv",         OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
        CSV_FILTER, "",    "Save Upload As"};
    for (const QString& name : {QStringLiteral("fresh"), QStringLiteral("old")}) {
        CString path;
        const INT_PTR result = AskFromWorker<INT_PTR>(
            [&] { return frontEnd.ChooseFile(request, path); },
            [&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                ASSERT_NE(dialog, nullptr);
                EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
                EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save Upload As"));
                EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("csv"));
                EXPECT_EQ(dialog->nameFilters(), // both spellings under the same name
                          QStringList{QStringLiteral("Comma Separated Values (*.CSV *.csv)")});
                dialog->setDirectory(dir.path());
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
                bool prompted = false;
                QTimer::singleShot(POLL_MS * 5, [&] {
                    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                        prompted = true;
                        box->button(QMessageBox::Yes)->click();
                    }
                });
                QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
                EXPECT_EQ(prompted, name == QStringLiteral("old"));
            });
        EXPECT_EQ(result, static_cast<INT_PTR>(IDOK));
        EXPECT_EQ(QString::fromUtf8(path.GetString()), dir.filePath(name + QStringLiteral(".csv")));
    }
}
