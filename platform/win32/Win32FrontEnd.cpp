#include "platform/win32/Win32FrontEnd.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/FileDialog.h"

#include <algorithm>
#include <stdexcept>

namespace orxwin {

namespace {

constexpr const char* CONTINUE_LABEL = "Continue";

FileRequest NativeRequest(const CFileRequest& request) {
    FileRequest native;
    native.open = request.bOpenFileDialog != FALSE;
    native.defaultExtension = request.strDefExt.str();
    native.fileName = request.strFileName.str();
    native.title = request.strTitle.str();
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

Window Win32FrontEnd::TopWindow() const {
    const Win32DialogView* top = m_views.Top();
    return top != nullptr ? top->Handle() : nullptr;
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

void Win32FrontEnd::OnDialogCreate(CDialog& dlg) {
    m_views.Add(std::make_unique<Win32DialogView>(dlg, TopWindow()));
}

void Win32FrontEnd::OnDialogShow(CDialog& dlg) {
    if (Win32DialogView* view = ViewOf(dlg))
        view->Show();
}

// A Win32 box has no informative text of its own: the detail is a second paragraph.
int Win32FrontEnd::ShowMessageBox(const CString& text, UINT type, const CString& detail,
                                  const std::function<bool()>& stillAsked) {
    std::string shown = text.str();
    if (!detail.IsEmpty())
        shown += "\n\n" + detail.str();
    BoxOptions options{nullptr, stillAsked, EscapeAnswer(type)};
    if ((type & MB_TYPEMASK) == MB_CONTINUECANCEL) {
        constexpr unsigned CANCEL_DEFAULT = 0x100; // MB_DEFBUTTON2
        options.okLabel = CONTINUE_LABEL;
        type = (type & ~MB_TYPEMASK) | MB_OKCANCEL | CANCEL_DEFAULT;
    }
    return orxwin::ShowMessageBox(TopWindow(), shown, m_boxCaption.str(), type, options);
}

bool Win32FrontEnd::ShowFileDialog(const CFileRequest& request, CString& path) {
    std::string native;
    if (!orxwin::ShowFileDialog(TopWindow(), NativeRequest(request), native))
        return false;
    path = native;
    return true;
}

bool Win32FrontEnd::OpenFolder(const char* path) {
    return ShowFolder(path);
}

void Win32FrontEnd::EndSession() {
    StopAsking();
    m_views.EndSession();
    RunUntil([this] { return !m_views.AnyContinues() || WorkerQuestions() > 0; });
}

} // namespace orxwin
