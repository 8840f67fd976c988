#include "platform/qt/QtFrontEnd.h"

#include "platform/qt/AppIcon.h"
#include "platform/qt/QtFileFilter.h"
#include "platform/ui/Dialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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
    m_ending = true;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QDialog*>(window);
        if (box != nullptr && box->isVisible() && qobject_cast<QtDialogView*>(box) == nullptr)
            box->close();
    }
    SendEndSession();
}

void QtFrontEnd::Abandon() {
    m_ending = true;
    {
        std::lock_guard lock(m_sendMutex);
        m_abandoned = true;
    }
    m_sendDone.notify_all();
    SendEndSession();
}

void QtFrontEnd::SendEndSession() {
    const std::vector<QPointer<QtDialogView>> views(m_views.rbegin(), m_views.rend());
    for (const QPointer<QtDialogView>& view : views)
        if (view)
            view->Dialog().SendMessage(WM_ENDSESSION, TRUE);
}

void QtFrontEnd::RunUntil(const std::function<bool()>& done) {
    QTimer wake;
    wake.start(WAKE_INTERVAL_MS);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

QtDialogView* QtFrontEnd::ViewOf(const CDialog& dlg) const {
    for (const QPointer<QtDialogView>& view : m_views)
        if (view && &view->Dialog() == &dlg)
            return view;
    return nullptr;
}

QWidget* QtFrontEnd::TopWindow() const {
    for (auto it = m_views.rbegin(); it != m_views.rend(); ++it)
        if (*it)
            return *it;
    return nullptr;
}

void QtFrontEnd::OnControlChanged(CWnd& wnd, UiChange /*change*/) {
    if (m_abandoned)
        return;
    for (const QPointer<QtDialogView>& view : m_views)
        if (view && (&view->Dialog() == &wnd || view->WidgetOf(wnd) != nullptr))
            view->Refresh(wnd);
}

void QtFrontEnd::OnDialogCreate(CDialog& dlg) {
    QWidget* owner = TopWindow();
    auto* view = new QtDialogView(dlg, m_icons, owner);
    if (owner != nullptr)
        view->setWindowModality(Qt::ApplicationModal);
    m_views.emplace_back(view);
}

void QtFrontEnd::OnDialogShow(CDialog& dlg) {
    QtDialogView* view = ViewOf(dlg);
    if (view == nullptr)
        return;
    view->RefreshAll();
    view->show();
    view->raise();
    view->activateWindow();
    for (const ViewHook& hook : m_viewShown)
        hook(*view);
}

void QtFrontEnd::OnDialogDestroy(CDialog& dlg) {
    QtDialogView* view = ViewOf(dlg);
    std::erase_if(m_views, [&](const QPointer<QtDialogView>& v) { return !v || v == view; });
    if (view != nullptr) {
        for (const ViewHook& hook : m_viewDestroy)
            hook(*view);
        view->hide();
        delete view;
    }
}

int QtFrontEnd::MessageBox(const char* text, UINT type, UINT /*helpId*/, const char* detail) {
    const CString message(text);
    const CString more(detail ? detail : "");
    const LRESULT answer = Send([&] { // every answer is non-zero
        if (m_ending)
            return LRESULT{0};
        return static_cast<LRESULT>(m_boxAnswer ? m_boxAnswer(message, type)
                                                : ShowMessageBox(message, type, more));
    });
    return answer != 0 ? static_cast<int>(answer) : AnswerUnseen(text, type, detail);
}

int QtFrontEnd::ShowMessageBox(const CString& text, UINT type, const CString& detail) {
    QMessageBox box(BoxIcon(type), m_boxCaption, Text(text), QMessageBox::NoButton, TopWindow());
    box.setTextFormat(Qt::PlainText);
    if (!detail.IsEmpty())
        SetPlainInformativeText(box, Text(detail));
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return IDOK;
    }
}

INT_PTR QtFrontEnd::ChooseFile(const CFileRequest& request, CString& path) {
    CString chosen;
    const auto result = static_cast<INT_PTR>(Send([&] {
        if (m_ending)
            return static_cast<LRESULT>(IDCANCEL);
        const INT_PTR answer =
            m_fileAnswer ? m_fileAnswer(request, chosen) : ShowFileDialog(request, chosen);
        if (answer == IDOK)
            m_fileFolder = QFileInfo(Text(chosen)).absolutePath();
        return static_cast<LRESULT>(answer);
    }));
    path = result == IDOK ? chosen : CString();
    return result == IDOK ? IDOK : IDCANCEL;
}

bool QtFrontEnd::OpenFolder(const char* path) {
    const QUrl folder = QUrl::fromLocalFile(QString::fromLocal8Bit(path));
    return Send([&] { return static_cast<LRESULT>(QDesktopServices::openUrl(folder)); }) != 0;
}

INT_PTR QtFrontEnd::ShowFileDialog(const CFileRequest& request, CString& path) {
    const bool save = request.bOpenFileDialog == FALSE;
    const bool folderKnown = !m_fileFolder.isEmpty() && QDir(m_fileFolder).exists();
    QFileDialog dialog(TopWindow(), save ? tr("Save As") : tr("Open"),
                       folderKnown ? m_fileFolder : QDir::currentPath());
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
        return IDCANCEL;
    path = CString(dialog.selectedFiles().constFirst().toUtf8().toStdString());
    return IDOK;
}

} // namespace orxqt
