#include "platform/qt/QtFrontEnd.h"

#include "platform/qt/AppIcon.h"
#include "platform/qt/QtFileFilter.h"
#include "platform/ui/Dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <exception>
#include <memory>

namespace orxqt {

namespace {

// A backstop for loop conditions that change without a posted call to wake the loop.
constexpr int WAKE_INTERVAL_MS = 50;

QString Text(const CString& text) {
    return QString::fromUtf8(text.GetString());
}

QMessageBox::Icon BoxIcon(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// A field's value in the detail may hold anything, markup included: show it as it is.
void SetPlainInformativeText(QMessageBox& box, const QString& text) {
    box.setInformativeText(text);
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
}

// Beside the title's text: the window's icon and buttons, and its frame.
constexpr int TITLE_FRAME_ROOM = 140;

// A message box is as wide as its text: one with a short text would have its title cut.
void FitTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int width =
        QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + TITLE_FRAME_ROOM;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

QtFrontEnd::QtFrontEnd(QObject* parent) : QObject(parent) {
    m_icons = [](UINT iconId) { return AfxLoadIcon(iconId) ? AppIcon() : QIcon(); };
    m_boxCaption = QGuiApplication::applicationDisplayName();
}

QtFrontEnd::~QtFrontEnd() = default;

bool QtFrontEnd::IsUiThread() const {
    return QThread::currentThread() == thread();
}

// A call that an abandoned interface thread never makes returns 0 to the worker.
LRESULT QtFrontEnd::Send(const std::function<LRESULT()>& call) {
    if (IsUiThread())
        return call();
    struct Pending {
        bool done = false;
        LRESULT result = 0;
        std::exception_ptr error; // passed on to the asking thread, never through Qt's loop
    };
    const auto pending = std::make_shared<Pending>();
    if (m_abandoned)
        return 0;
    QMetaObject::invokeMethod(
        this,
        [this, pending, &call] {
            if (m_abandoned)
                return; // the worker no longer waits: call is gone
            LRESULT result = 0;
            std::exception_ptr error;
            try {
                result = call();
            } catch (...) {
                error = std::current_exception();
            }
            std::lock_guard lock(m_sendMutex);
            *pending = {true, result, error};
            m_sendDone.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_sendMutex);
    m_sendDone.wait(lock, [&] { return pending->done || m_abandoned; });
    if (!pending->done)
        return 0;
    if (pending->error)
        std::rethrow_exception(pending->error);
    return pending->result;
}

void QtFrontEnd::Post(std::function<void()> call) {
    if (!m_abandoned)
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void QtFrontEnd::EndSession() {
    StopAsking();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QDialog*>(window);
        if (box != nullptr && box->isVisible() && qobject_cast<QtDialogView*>(box) == nullptr)
            box->close();
    }
    m_views.EndSession();
}

void QtFrontEnd::Abandon() {
    StopAsking();
    {
        std::lock_guard lock(m_sendMutex);
        m_abandoned = true;
    }
    m_sendDone.notify_all();
    m_views.EndSession();
}

void QtFrontEnd::RunUntil(const std::function<bool()>& done) {
    QTimer wake;
    wake.start(WAKE_INTERVAL_MS);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtFrontEnd::OnControlChanged(CWnd& wnd, UiChange change) {
    if (!m_abandoned)
        CDialogViewFrontEnd::OnControlChanged(wnd, change);
}

void QtFrontEnd::OnDialogCreate(CDialog& dlg) {
    QWidget* owner = TopWindow();
    auto& view = m_views.Add(std::make_unique<QtDialogView>(dlg, m_icons, owner));
    if (owner != nullptr)
        view.setWindowModality(Qt::ApplicationModal);
}

void QtFrontEnd::OnDialogShow(CDialog& dlg) {
    QtDialogView* view = ViewOf(dlg);
    if (view == nullptr)
        return;
    view->Controller().RefreshAll();
    view->show();
    view->raise();
    view->activateWindow();
    for (const ViewHook& hook : m_viewShown)
        hook(*view);
}

void QtFrontEnd::OnDialogDestroy(CDialog& dlg) {
    const std::unique_ptr<QtDialogView> view = m_views.Remove(dlg);
    if (view == nullptr)
        return;
    for (const ViewHook& hook : m_viewDestroy)
        hook(*view);
    view->hide();
}

int QtFrontEnd::ShowMessageBox(const CString& text, UINT type, const CString& detail,
                               const std::function<bool()>& stillAsked) {
    QMessageBox box(BoxIcon(type), m_boxCaption, Text(text), QMessageBox::NoButton, TopWindow());
    box.setTextFormat(Qt::PlainText);
    if (!detail.IsEmpty())
        SetPlainInformativeText(box, Text(detail));
    const bool secondIsDefault = (type & MB_DEFMASK) == MB_DEFBUTTON2;
    FitTitle(box);
    QTimer watch;
    if (stillAsked) {
        QObject::connect(&watch, &QTimer::timeout, &box, [&box, &stillAsked] {
            if (!stillAsked())
                box.close(); // as Esc
        });
        watch.start(WAKE_INTERVAL_MS);
    }
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(secondIsDefault ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(secondIsDefault ? QMessageBox::Cancel : QMessageBox::Ok);
        return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
    case MB_CONTINUECANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.button(QMessageBox::Ok)->setText(tr("Continue"));
        box.setDefaultButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return IDOK;
    }
}

bool QtFrontEnd::OpenFolder(const char* path) {
    const QUrl folder = QUrl::fromLocalFile(QString::fromLocal8Bit(path));
    return Send([&] { return static_cast<LRESULT>(QDesktopServices::openUrl(folder)); }) != 0;
}

bool QtFrontEnd::ShowFileDialog(const CFileRequest& request, CString& path) {
    const bool save = request.bOpenFileDialog == FALSE;
    const QString folder = Text(request.strInitialDir);
    const bool folderKnown = !folder.isEmpty() && QDir(folder).exists();
    const QString title = !request.strTitle.IsEmpty() ? Text(request.strTitle)
                          : save                      ? tr("Save As")
                                                      : tr("Open");
    QFileDialog dialog(TopWindow(), title, folderKnown ? folder : QDir::currentPath());
    // Qt's own dialog everywhere, so default extension and overwrite prompt behave alike.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    const bool mustExist = !save && (request.dwFlags & OFN_FILEMUSTEXIST) != 0;
    dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     (request.dwFlags & OFN_OVERWRITEPROMPT) == 0);
    const QStringList filters = QtNameFilters(request.strFilter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.strDefExt.IsEmpty())
        dialog.setDefaultSuffix(Text(request.strDefExt));
    if (!request.strFileName.IsEmpty())
        dialog.selectFile(Text(request.strFileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = CString(dialog.selectedFiles().constFirst().toUtf8().toStdString());
    return true;
}

} // namespace orxqt
