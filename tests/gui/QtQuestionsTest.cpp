// Message boxes and file dialogs as a person sees them: asked from a worker thread, shown
// on the interface thread, answered here through the widgets, the worker held meanwhile.
#include "GuiFixture.h"

#include "platform/qt/QtFileFilter.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <future>

namespace {

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
        bool answered = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (answered || modal == nullptr)
                return;
            answered = true;
            EXPECT_FALSE(returned()); // the worker waits for the answer
            answer(modal);
        });
        poll.start(POLL_MS);
        EXPECT_TRUE(WaitUntil(returned));
        EXPECT_TRUE(answered);
        return result.get();
    }
};

} // namespace

TEST_F(QtQuestionsTest, MessageBoxesShowTheirTextIconAndButtonsAndReportTheAnswer) {
    using Box = QMessageBox;
    struct Case {
        UINT type;
        Box::Icon icon;
        Box::StandardButtons buttons;
        Box::StandardButton press;
        int expected;
        const char* detail; // the informative text under the message
    };
    const std::vector<Case> cases{
        {MB_ICONEXCLAMATION | MB_OK, Box::Warning, Box::Ok, Box::Ok, IDOK, "row 5, line 10: x"},
        {MB_YESNO, Box::NoIcon, Box::Yes | Box::No, Box::Yes, IDYES, nullptr},
        {MB_YESNO, Box::NoIcon, Box::Yes | Box::No, Box::No, IDNO, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        const int answer = AskFromWorker<int>(
            [&] { return frontEnd.MessageBox("Error connecting to ORX!", c.type, 0, c.detail); },
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->text(), QStringLiteral("Error connecting to ORX!"));
                EXPECT_EQ(box->windowTitle(), QString::fromLatin1(MESSAGE_BOX_CAPTION));
                EXPECT_EQ(box->icon(), c.icon);
                EXPECT_EQ(box->informativeText(), QString::fromLatin1(c.detail ? c.detail : ""));
                EXPECT_EQ(box->standardButtons(), c.buttons);
                box->button(c.press)->click();
            });
        EXPECT_EQ(answer, c.expected);
    }
}

TEST(QtFileFilter, OffersBothSpellingsUnderTheSameName) {
    EXPECT_EQ(orxqt::QtNameFilters(CSV_FILTER),
              QStringList{QStringLiteral("Comma Separated Values (*.CSV *.csv)")});
    EXPECT_EQ(orxqt::QtNameFilters("Text|*.txt;*.Log|All|*.*|"),
              (QStringList{QStringLiteral("Text (*.txt *.TXT *.Log *.LOG *.log)"),
                           QStringLiteral("All (*.*)")}));
    EXPECT_TRUE(orxqt::QtNameFilters(nullptr).isEmpty());
}

TEST_F(QtQuestionsTest, SaveDialogAddsTheExtensionAndAsksBeforeOverwriting) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile(dir.filePath(QStringLiteral("old.csv"))).open(QIODevice::WriteOnly));
    CFileRequest request;
    request.bOpenFileDialog = FALSE;
    request.strDefExt = "csv";
    request.strFileName = "*.csv";
    request.dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    request.strFilter = CSV_FILTER;

    const auto choose = [&](const QString& typed, bool expectPrompt) {
        CString path;
        const INT_PTR result = AskFromWorker<INT_PTR>(
            [&] { return frontEnd.ChooseFile(request, path); },
            [&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                ASSERT_NE(dialog, nullptr);
                EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
                EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("csv"));
                EXPECT_TRUE(dialog->nameFilters().constFirst().contains(QStringLiteral("*.csv")));
                dialog->setDirectory(dir.path());
                auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(name, nullptr);
                name->setText(typed);
                bool prompted = false;
                QTimer::singleShot(POLL_MS * 5, [&] {
                    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                        prompted = true;
                        box->button(QMessageBox::Yes)->click();
                    }
                });
                QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
                EXPECT_EQ(prompted, expectPrompt);
            });
        EXPECT_EQ(result, static_cast<INT_PTR>(IDOK));
        return QString::fromUtf8(path.GetString());
    };

    EXPECT_EQ(choose(QStringLiteral("fresh"), false), dir.filePath(QStringLiteral("fresh.csv")));
    EXPECT_EQ(choose(QStringLiteral("old"), true), dir.filePath(QStringLiteral("old.csv")));
}
