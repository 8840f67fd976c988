#pragma once
// The Win32 calls of the binding, in standard types only. <windows.h> and the window layer
// give the same names other meanings (DWORD, HICON, WM_SETTEXT, MessageBox...), so a file
// includes one or the other, never both: the Native*.cpp files include <windows.h>, the
// others the window layer and this header. Texts are UTF-8; a window is an HWND.

#include <array>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace orxwin {

using Window = void*;
constexpr int BLANK_FIELD = -1;
constexpr int ADDRESS_FIELDS = 4;
using AddressFields = std::array<int, ADDRESS_FIELDS>; // 0..255 or BLANK_FIELD

// --- texts, the program, the controls (NativeSupport.cpp) ---

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
// The program's file name without its extension.
std::string ProgramName();

// Registers the common control classes the templates use (progress bar, address field).
bool InitControls();

// --- the interface thread's calls and loop (NativeLoop.cpp) ---

// A hidden window of the interface thread that runs calls from any thread.
class CallWindow {
public:
    CallWindow(); // on the interface thread
    ~CallWindow();
    CallWindow(const CallWindow&) = delete;
    CallWindow& operator=(const CallWindow&) = delete;

    // Queues call for the interface thread; any thread.
    void Post(std::function<void()> call);
    // Off the interface thread: runs call there through SendMessage and waits for it.
    void Send(const std::function<void()>& call);
    // Interface thread: dispatches messages, the keys of a dialog to it, until done() is
    // true. A call that throws ends the loop with its exception.
    void RunUntil(const std::function<bool()>& done);

    // For the window procedure: runs the queued calls; the first exception ends RunUntil.
    void RunPosted();

private:
    Window m_hwnd = nullptr;
    int m_depth = 0;
    std::exception_ptr m_error;
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_posted;
};

// --- dialog windows and their controls (NativeDialog.cpp) ---

// What a dialog window tells its owner, on the interface thread.
class DialogEvents {
public:
    virtual ~DialogEvents() = default;
    // A button was clicked, or Enter or Esc pressed (IDOK, IDCANCEL).
    virtual void OnCommand(int id) = 0;
    // The user changed the fields of the address control id.
    virtual void OnAddressEdited(int id) = 0;
    // A system-menu command; false leaves it to the system (move, close...).
    virtual bool OnSysCommand(unsigned id) = 0;
    // The close box.
    virtual void OnClose() = 0;
    // The session ends (log-off, shut-down): the process may end once this returns.
    virtual void OnEndSession() = 0;
};

// A dialog from an in-memory DLGTEMPLATEEX (see DialogTemplate.h), created hidden; owner,
// if any, is disabled while it is shown.
Window CreateDialogWindow(const std::vector<std::uint16_t>& dialogTemplate, Window owner,
                          DialogEvents& events);
void ShowDialogWindow(Window dialog);
void DestroyDialogWindow(Window dialog);
Window DialogItem(Window dialog, int id);

// Disabling the control that has the focus moves the focus to the next tab stop first.
void SetEnabled(Window control, bool enabled);
void SetText(Window window, const std::string& text);
void SetProgress(Window bar, int lower, int upper, int step, int pos);
void SetAddressFields(Window address, const AddressFields& fields);
AddressFields GetAddressFields(Window address);
// Big and small icon from the program's icon resource id; none if it has no such icon.
void SetWindowIcon(Window window, unsigned iconId);
void AppendSystemMenu(Window dialog, unsigned flags, unsigned id, const std::string& text);

// --- questions (NativeQuestions.cpp) ---

// Shows a folder in the file manager; false when the shell cannot.
bool ShowFolder(const std::string& path);

struct BoxOptions {
    const char* okLabel = nullptr; // replaces the OK button's text
    // Watched while the box is shown: once false, the box ends with escapeAnswer.
    std::function<bool()> stillAsked;
    int escapeAnswer = 0;
};

// type and result as MessageBox's; the box is made wide enough for its whole caption.
int ShowMessageBox(Window owner, const std::string& text, const std::string& caption, unsigned type,
                   const BoxOptions& options = {});

struct FileRequest {
    bool open = true;
    std::string defaultExtension;                             // without the dot
    std::string fileName;                                     // initial text of the name box
    std::string title;                                        // empty: the system's
    std::uint32_t flags = 0;                                  // OFN_*
    std::vector<std::pair<std::string, std::string>> filters; // name, patterns
};
// True with the chosen path; false when dismissed.
bool ShowFileDialog(Window owner, const FileRequest& request, std::string& path);

} // namespace orxwin
