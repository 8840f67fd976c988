#pragma once
// The front end that presents the window layer with Qt Widgets. Construct it on the thread
// that runs QApplication; that thread is the interface thread. Workers' control changes,
// message boxes and file dialogs are carried out there while the worker waits.

#include "platform/qt/QtDialogView.h"
#include "platform/ui/WindowFrontEnd.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace orxqt {

class QtFrontEnd : public QObject, public CDialogViewFrontEnd<QtDialogView> {
    Q_OBJECT
public:
    using ViewHook = std::function<void(QtDialogView& view)>;

    explicit QtFrontEnd(QObject* parent = nullptr);
    ~QtFrontEnd() override;

    void SetIconProvider(IconProvider icons) { m_icons = std::move(icons); }
    // Called, in the order added, once each dialog's window is shown (e.g. to add shortcuts).
    void AddViewShownHook(ViewHook hook) { m_viewShown.push_back(std::move(hook)); }
    // Called, in the order added, when a dialog's window is about to go, while its dialog
    // still holds what the window showed.
    void AddViewDestroyHook(ViewHook hook) { m_viewDestroy.push_back(std::move(hook)); }
    // Caption of message boxes.
    void SetMessageBoxCaption(const QString& caption) { m_boxCaption = caption; }

    void EndSession() override;
    // Once the session's end has reached the dialogs (EndSession, Abandon): true while one of
    // them waits for its transfer to end. Interface thread.
    bool IsTransferRunning() const { return m_views.AnyContinues(); }
    // Interface thread, which handles nothing from now on (the program ends there): as
    // EndSession, and workers no longer wait for this thread; their control changes and posted
    // calls are dropped.
    void Abandon();

    bool IsUiThread() const override;
    LRESULT Send(const std::function<LRESULT()>& call) override;
    void Post(std::function<void()> call) override;
    void RunUntil(const std::function<bool()>& done) override;

    void OnControlChanged(CWnd& wnd, UiChange change) override;
    void OnDialogCreate(CDialog& dlg) override;
    void OnDialogShow(CDialog& dlg) override;
    void OnDialogDestroy(CDialog& dlg) override;

    bool OpenFolder(const char* path) override;

protected:
    int ShowMessageBox(const CString& text, UINT type, const CString& detail,
                       const std::function<bool()>& stillAsked) override;
    bool ShowFileDialog(const CFileRequest& request, CString& path) override;

private:
    QWidget* TopWindow() const { return m_views.Top(); }

    IconProvider m_icons;
    std::vector<ViewHook> m_viewShown;
    std::vector<ViewHook> m_viewDestroy;
    QString m_boxCaption;
    std::atomic<bool> m_abandoned{false};
    std::mutex m_sendMutex; // the calls that workers wait for, and m_abandoned's change
    std::condition_variable m_sendDone;
};

} // namespace orxqt
