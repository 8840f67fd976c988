#include "platform/ui/WindowFrontEnd.h"

LRESULT CWindowFrontEnd::Ask(const std::function<LRESULT()>& ask) {
    const int forWorker = IsUiThread() ? 0 : 1;
    return Send([&] { // every answer is non-zero
        if (m_ending)
            return LRESULT{0};
        m_workerQuestions += forWorker;
        const LRESULT answer = ask();
        m_workerQuestions -= forWorker;
        return answer;
    });
}

int CWindowFrontEnd::MessageBox(const char* text, UINT type, UINT /*helpId*/, const char* detail) {
    return AskBox(text, type, detail, {});
}

int CWindowFrontEnd::MessageBoxWhile(const char* text, UINT type,
                                     const std::function<bool()>& stillAsked) {
    return AskBox(text, type, nullptr, stillAsked);
}

int CWindowFrontEnd::AskBox(const char* text, UINT type, const char* detail,
                            const std::function<bool()>& stillAsked) {
    const CString message(text);
    const CString more(detail ? detail : "");
    const LRESULT answer =
        Ask([&] { return LRESULT{ShowMessageBox(message, type, more, stillAsked)}; });
    return answer != 0 ? static_cast<int>(answer) : AnswerUnseen(text, type, detail);
}

INT_PTR CWindowFrontEnd::ChooseFile(const CFileRequest& request, CString& path) {
    CString chosen;
    const LRESULT answer = Ask(
        [&] { return static_cast<LRESULT>(ShowFileDialog(request, chosen) ? IDOK : IDCANCEL); });
    path = answer == IDOK ? chosen : CString();
    return answer == IDOK ? IDOK : IDCANCEL;
}
