#include "platform/win32/Win32FrontEnd.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Thread.h"

#include <algorithm>
#include <stdexcept>

namespace orxwin {

namespace {

FileRequest NativeRequest(const CFileRequest& request) {
    FileRequest native;
    native.open = request.bOpenFileDialog != FALSE;
    native.defaultExtension = request.strDefExt.str();
    native.fileName = request.strFileName.str();
    native.flags = request.dwFlags;
    for (const auto& [name, patterns] : ParseFileFilter(request.strFilter))
        native.filters.emplace_back(name.str(), patterns.str());
    return native;
}

} // namespace

Win32FrontEnd::Win32FrontEnd()
    : m_uiThread(std::this_thread::get_id()), m_boxCaption(ProgramName()) {
    InitControls();
}

Win32FrontEnd::~Win32FrontEnd() = default;

Win32DialogView* Win32FrontEnd::ViewOf(const CDialog& dlg) const {
    for (const auto& view : m_views)
        if (&view->Dialog() == &dlg)
            return view.get();
    return nullptr;
}

Window Win32FrontEnd::TopWindow() const {
    return m_views.empty() ? nullptr : m_views.back()->Handle();
}

bool Win32FrontEnd::IsUiThread() const {
    return std::this_thread::get_id() == m_uiThread;
}

LRESULT Win32FrontEnd::Send(const std::function<LRESULT()>& call) {
    if (IsUiThread())
        return call();
    LRESULT result = 0;
    m_calls.Send([&] { result = call(); });
    return result;
}

void Win32FrontEnd::Post(std::function<void()> call) {
    m_calls.Post(std::move(call));
}

void Win32FrontEnd::RunUntil(const std::function<bool()>& done) {
    if (!IsUiThread())
        throw std::logic_error("RunUntil called off the interface thread");
    m_calls.RunUntil(done);
}

void Win32FrontEnd::OnControlChanged(CWnd& wnd, UiChange change) {
    for (const auto& view : m_views)
        if (view->Shows(wnd))
            view->Refresh(wnd, change);
}

void Win32FrontEnd::OnDialogCreate(CDialog& dlg) {
    m_views.push_back(std::make_unique<Win32DialogView>(dlg, TopWindow()));
}

void Win32FrontEnd::OnDialogShow(CDialog& dlg) {
    if (Win32DialogView* view = ViewOf(dlg))
        view->Show();
}

void Win32FrontEnd::OnDialogDestroy(CDialog& dlg) {
    std::erase_if(m_views, [&](const auto& view) { return &view->Dialog() == &dlg; });
}

int Win32FrontEnd::MessageBox(const char* text, UINT type, UINT /*helpId*/, const char* detail) {
    const CString message(text);
    // A Win32 box has no informative text of its own: the detail is a second paragraph.
    std::string shown = message.str();
    if (detail != nullptr && *detail != '\0')
        shown += std::string("\n\n") + detail;
    const bool forWorker = !IsUiThread();
    const LRESULT answer = Send([&] { // every answer is non-zero
        if (m_ending)
            return LRESULT{0};
        m_workerQuestions += forWorker ? 1 : 0;
        const int given = m_boxAnswer
                              ? m_boxAnswer(message, type)
                              : ShowMessageBox(TopWindow(), shown, m_boxCaption.str(), type);
        m_workerQuestions -= forWorker ? 1 : 0;
        return static_cast<LRESULT>(given);
    });
    return answer != 0 ? static_cast<int>(answer) : AnswerUnseen(text, type, detail);
}

INT_PTR Win32FrontEnd::ChooseFile(const CFileRequest& request, CString& path) {
    CString chosen;
    const bool forWorker = !IsUiThread();
    const auto result = static_cast<INT_PTR>(Send([&] {
        if (m_ending)
            return static_cast<LRESULT>(IDCANCEL);
        if (m_fileAnswer)
            return static_cast<LRESULT>(m_fileAnswer(request, chosen));
        std::string native;
        m_workerQuestions += forWorker ? 1 : 0;
        const bool chose = ShowFileDialog(TopWindow(), NativeRequest(request), native);
        m_workerQuestions -= forWorker ? 1 : 0;
        if (!chose)
            return static_cast<LRESULT>(IDCANCEL);
        chosen = native;
        return static_cast<LRESULT>(IDOK);
    }));
    path = result == IDOK ? chosen : CString();
    return result == IDOK ? IDOK : IDCANCEL;
}

bool Win32FrontEnd::OpenFolder(const char* path) {
    return ShowFolder(path);
}

void Win32FrontEnd::EndSession() {
    m_ending = true;
    std::vector<CDialog*> dialogs;
    for (auto it = m_views.rbegin(); it != m_views.rend(); ++it)
        dialogs.push_back(&(*it)->Dialog());
    for (CDialog* dialog : dialogs)
        dialog->SendMessage(WM_ENDSESSION, TRUE);
    RunUntil([this] { return AfxGetWorkerCount() == 0 || m_workerQuestions > 0; });
}

} // namespace orxwin
