#pragma once
// The front end that presents the window layer with Qt Widgets. Construct it on the thread
// that runs QApplication; that thread is the interface thread. Workers' control changes,
// message boxes and file dialogs are carried out there while the worker waits.

#include "platform/qt/QtDialogView.h"
#include "platform/ui/FrontEnd.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <vector>

namespace orxqt {

class QtFrontEnd : public QObject, public CFrontEnd {
    Q_OBJECT
public:
    // Answer a question instead of a modal Qt dialog (tests); run on the interface thread.
    using MessageBoxAnswer = std::function<int(const CString& text, UINT type)>;
    using FileAnswer = std::function<INT_PTR(const CFileRequest& request, CString& path)>;
    using ViewHook = std::function<void(QtDialogView& view)>;

    explicit QtFrontEnd(QObject* parent = nullptr);
    ~QtFrontEnd() override;

    void SetIconProvider(IconProvider icons) { m_icons = std::move(icons); }
    void SetMessageBoxAnswer(MessageBoxAnswer answer) { m_boxAnswer = std::move(answer); }
    void SetFileAnswer(FileAnswer answer) { m_fileAnswer = std::move(answer); }
    // Called, in the order added, once each dialog's window is shown (e.g. to add shortcuts).
    void AddViewShownHook(ViewHook hook) { m_viewShown.push_back(std::move(hook)); }
    // Called, in the order added, when a dialog's window is about to go, while its dialog
    // still holds what the window showed.
    void AddViewDestroyHook(ViewHook hook) { m_viewDestroy.push_back(std::move(hook)); }
    // The folder the file dialog starts in; empty or gone: the working folder. Choosing a
    // file makes its folder the next start.
    void SetFileFolder(const QString& folder) { m_fileFolder = folder; }
    const QString& FileFolder() const { return m_fileFolder; }
    // The window of dlg while it exists, or nullptr.
    QtDialogView* ViewOf(const CDialog& dlg) const;
    // Caption of message boxes.
    void SetMessageBoxCaption(const QString& caption) { m_boxCaption = caption; }

    void EndSession() override;
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

    int MessageBox(const char* text, UINT type, UINT helpId, const char* detail) override;
    INT_PTR ChooseFile(const CFileRequest& request, CString& path) override;
    bool OpenFolder(const char* path) override;

private:
    QWidget* TopWindow() const;
    void SendEndSession();
    int ShowMessageBox(const CString& text, UINT type, const CString& detail);
    INT_PTR ShowFileDialog(const CFileRequest& request, CString& path);

    IconProvider m_icons;
    MessageBoxAnswer m_boxAnswer;
    FileAnswer m_fileAnswer;
    std::vector<ViewHook> m_viewShown;
    std::vector<ViewHook> m_viewDestroy;
    QString m_fileFolder;
    QString m_boxCaption;
    std::vector<QPointer<QtDialogView>> m_views; // open dialogs, innermost last
    std::atomic<bool> m_ending{false};
    std::atomic<bool> m_abandoned{false};
    std::mutex m_sendMutex; // the calls that workers wait for, and m_abandoned's change
    std::condition_variable m_sendDone;
};

} // namespace orxqt
