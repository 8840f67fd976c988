#include "platform/ui/FrontEnd.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr auto DIRECT_POLL_INTERVAL = std::chrono::milliseconds(1);

// Used while no front end is installed: one thread, no display, cautious answers.
class CDirectFrontEnd : public CFrontEnd {
public:
    bool IsUiThread() const override { return true; }
    LRESULT Send(const std::function<LRESULT()>& call) override { return call(); }
    void Post(std::function<void()> call) override { call(); }
    void RunUntil(const std::function<bool()>& done) override {
        while (!done())
            std::this_thread::sleep_for(DIRECT_POLL_INTERVAL);
    }
    void OnControlChanged(CWnd&, UiChange) override {}
    int MessageBox(const char* text, UINT type, UINT, const char* detail) override {
        return AnswerUnseen(text, type, detail);
    }
    INT_PTR ChooseFile(const CFileRequest&, CString&) override { return IDCANCEL; }
};

CDirectFrontEnd g_direct;
std::atomic<CFrontEnd*> g_installed{nullptr};

} // namespace

int EscapeAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        return IDNO;
    case MB_OKCANCEL:
    case MB_CONTINUECANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

int AnswerUnseen(const char* text, UINT type, const char* detail) {
    std::fprintf(stderr, "%s\n", text);
    if (detail != nullptr && *detail != '\0')
        std::fprintf(stderr, "%s\n", detail);
    std::fflush(stderr);
    return EscapeAnswer(type);
}

CFrontEnd& AfxGetFrontEnd() {
    CFrontEnd* installed = g_installed.load();
    return installed ? *installed : g_direct;
}

CFrontEnd* AfxSetFrontEnd(CFrontEnd* frontEnd) {
    return g_installed.exchange(frontEnd);
}
