#pragma once
// What a transfer shows and asks while it runs. The dialog drives its controls with it, the
// command line a terminal; the transfer itself never knows which.

#include "transfer/FailureAdvice.h"

#include <string>
#include <vector>

class CTransferView {
public:
    CTransferView() = default;
    CTransferView(const CTransferView&) = delete;
    CTransferView& operator=(const CTransferView&) = delete;
    virtual ~CTransferView() = default;

    // The configuration file to read (open) or to write; false when none was chosen.
    virtual bool ChooseFile(bool open, std::string& path) = 0;
    // A transfer with a file begins: no other may start, it may be cancelled, and its
    // progress stands at 0 of ALARM_COUNT.
    virtual void BeginTransfer() = 0;
    // The transfer has ended, whichever way: back at rest.
    virtual void EndTransfer() = 0;
    virtual void SetStatus(const std::string& text) = 0;
    // The status of the work on alarm n of ALARM_COUNT ("Uploading Alarm 5/32..."), for a
    // front end that needs the number besides the text.
    virtual void SetAlarmStatus(int /*alarm*/, const std::string& text) { SetStatus(text); }
    virtual void StepProgress() = 0;
    virtual void SetProgress(int position) = 0;
    // A failure: one of the tool's messages and, when known, its cause (one line, or one
    // line per refused row).
    virtual void ShowError(const std::string& message, const std::string& cause) = 0;
    // A failure that ended the transfer, with the kind that says what a person can do about
    // it; a view without room for advice shows the error alone.
    virtual void ShowFailure(const std::string& message, const std::string& cause,
                             FailureKind /*kind*/) {
        ShowError(message, cause);
    }
    // Asked once, after the file was checked and before the device is written; warnings
    // name what the file says otherwise than it will be written. False: not confirmed.
    virtual bool Confirm(const std::string& question, const std::vector<std::string>& warnings) = 0;
    // Whether Confirm puts its question to a person: only then is the device's serial number
    // read for it, so that a download that asks nothing makes no exchange beyond its own.
    virtual bool AsksQuestion() const { return true; }
    // True once the user has asked the transfer to stop.
    virtual bool IsCancelled() = 0;
    // A remark on how the transfer goes, where the front end has room for one; none here.
    virtual void Notice(const std::string& /*text*/) {}
    // Alarm n of ALARM_COUNT read into the backup made before a download's first write, for a
    // front end that shows it apart from the download's own progress; none here.
    virtual void BackupProgress(int /*alarm*/) {}
    // The serial number of the device reached, for a front end that names files after it.
    virtual void DeviceIdentified(DWORD /*serial*/) {}
};

// A transfer shown nowhere and asked nothing: no file chosen, nothing confirmed, never
// cancelled. The base of views that keep only part of what a transfer tells.
class CSilentView : public CTransferView {
public:
    bool ChooseFile(bool /*open*/, std::string& /*path*/) override { return false; }
    void BeginTransfer() override {}
    void EndTransfer() override {}
    void SetStatus(const std::string& /*text*/) override {}
    void StepProgress() override {}
    void SetProgress(int /*position*/) override {}
    void ShowError(const std::string& /*message*/, const std::string& /*cause*/) override {}
    bool Confirm(const std::string& /*question*/,
                 const std::vector<std::string>& /*warnings*/) override {
        return false;
    }
    bool AsksQuestion() const override { return false; }
    bool IsCancelled() override { return false; }
};
