#pragma once
// A transfer on a terminal: the file named on the command line is the file chosen; status
// texts go to err, on a terminal as one redrawn line with a progress bar, otherwise one
// per line; each error is one line with its cause. Quiet: errors only. The download's
// question is asked on the terminal unless answered beforehand (--yes).
//
// Everything is called on the thread that runs the transfer, except Interrupted, which the
// signal watcher calls; output is whole lines under a lock that nothing else waits on.

#include "transfer/TransferView.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <ostream>

struct TerminalSettings {
    bool quiet = false;  // errors only
    bool redraw = false; // err is a terminal: one progress line, redrawn
    bool yes = false;    // the download is confirmed beforehand
    int questionFd = -1; // the terminal to ask on when not confirmed beforehand
    int columns = 0;     // the progress line's width; 0: not cut
    bool step = false;   // a step before the transfer: its progress line goes when it ends
};

// line cut to fit columns without wrapping (the last column left free); 0 columns: whole.
std::string FitToColumns(const std::string& line, int columns);

class CTerminalView : public CTransferView {
public:
    CTerminalView(std::string path, std::ostream& err, const TerminalSettings& settings);

    bool ChooseFile(bool open, std::string& path) override;
    void BeginTransfer() override;
    void EndTransfer() override;
    void SetStatus(const std::string& text) override;
    void SetAlarmStatus(int alarm, const std::string& text) override;
    void StepProgress() override;
    void SetProgress(int position) override;
    void ShowError(const std::string& message, const std::string& cause) override;
    // On the progress line only: "Backing up ORX... 12/32", its bar the backup's.
    void BackupProgress(int alarm) override;
    bool Confirm(const std::string& question, const std::vector<std::string>& warnings) override;
    bool AsksQuestion() const override { return !m_settings.yes; }
    bool IsCancelled() override { return m_cancelled.load(); }

    // The count-th interrupt signal: the first cancels, each is acknowledged at once.
    void Interrupted(int count);
    // The job has shown a status: it works on the device, and a cancel has something to
    // finish.
    bool Working() const { return m_working.load(); }
    // A line of the program's own among the status texts, unless quiet.
    void Notice(const std::string& text) override;

    struct Error {
        std::string message;
        std::string cause;
    };
    // The last error shown; an empty message when none was.
    const Error& LastError() const { return m_lastError; }

private:
    void ShowStatus(const std::string& text, int alarm);
    bool AskOnTerminal(const std::string& question);
    bool ReadAnswer();
    void Print(const std::string& line); // a whole line, the progress line kept below it
    void DrawProgress();                 // with the lock held

    std::string m_path;
    std::ostream& m_err;
    TerminalSettings m_settings;
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_working{false};
    std::mutex m_mutex;
    std::string m_status;
    int m_alarm = 0; // the alarm the status is about, 0: none
    int m_position = 0;
    int m_backupRead = 0;     // alarms read into the backup while its status shows, 0: none
    bool m_lineShown = false; // a progress line waits for its line end
    bool m_failed = false;    // an error was shown: the status texts after it only repeat it
    Error m_lastError;
};
