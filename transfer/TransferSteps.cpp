#include "transfer/TransferSteps.h"

#include "platform/Exception.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferResults.h"

#include <exception>

namespace {

constexpr UINT EXCEPTION_TEXT_SIZE = 256;

// The text of the exception being handled; call only inside a catch block.
std::string CurrentExceptionText() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (CException* e) {
        char text[EXCEPTION_TEXT_SIZE] = {};
        e->GetErrorMessage(text, sizeof text);
        e->Delete();
        return text;
    } catch (...) {
        return "unknown exception";
    }
}

UINT FailOfKind(CTransferView& view, CModbus& modbus, const char* box, const char* status,
                UINT result, const std::string& cause, FailureKind kind) {
    if (box != nullptr)
        view.ShowFailure(box, cause, kind);
    if (status != nullptr)
        view.SetStatus(status);
    return EndTransfer(view, modbus, result);
}

} // namespace

UINT EndTransfer(CTransferView& view, CModbus& modbus, UINT result) {
    view.EndTransfer();
    modbus.Disconnect();
    return result;
}

UINT FailTransfer(CTransferView& view, CModbus& modbus, const char* box, const char* status,
                  UINT result, const std::string& cause) {
    return FailOfKind(view, modbus, box, status, result, cause,
                      KindOfFailure(result, modbus.TimedOut()));
}

UINT FailTransfer(CTransferView& view, CModbus& modbus, const Failure& failure,
                  const char* deviceBox, const char* cancelledStatus) {
    if (failure.result == RESULT_CANCELLED)
        return FailTransfer(view, modbus, nullptr, cancelledStatus, RESULT_CANCELLED);
    const char* box = failure.result == RESULT_FILE_ERROR ? "Error writing to file!" : deviceBox;
    return FailTransfer(view, modbus, box, nullptr, failure.result, failure.cause);
}

UINT ReachOrx(CTransferView& view, CModbus& modbus, const DeviceEndpoint& device,
              const char* cancelledStatus) {
    view.SetStatus("Connecting to ORX...");
    modbus.ForgetTimeOuts(); // the advice of a failure speaks of this transfer only
    const std::optional<Failure> unreached =
        ConnectToOrx(modbus, device, [&view] { return view.IsCancelled(); });
    // Cancel also cuts short a connect being made: a failed connect then ends as cancelled.
    if (view.IsCancelled())
        return FailTransfer(view, modbus, nullptr, cancelledStatus, RESULT_CANCELLED);
    if (unreached)
        return FailOfKind(view, modbus, "Error connecting to ORX!", "Error connecting to ORX!",
                          unreached->result, unreached->cause, FailureKind::Unreachable);
    // A device too slow to answer may well be an ORX.
    if (const std::optional<Failure> stranger = CheckDeviceIdentity(modbus))
        return FailOfKind(view, modbus, "This is not an ORX!", "Error! Device was not an ORX!",
                          stranger->result, stranger->cause,
                          modbus.TimedOut() ? FailureKind::NoReply : FailureKind::NotOrx);
    return RESULT_OK;
}

WORD ReadDeviceSerial(CTransferView& view, CModbus& modbus, DWORD& serial) {
    const WORD code = ReadSerialNumber(modbus, serial);
    if (code == MODBUS_OK)
        view.DeviceIdentified(serial);
    return code;
}

UINT BeginWithFile(CTransferView& view, bool open, std::string& path) {
    if (!view.ChooseFile(open, path))
        return RESULT_NO_FILE;
    view.BeginTransfer();
    if (!path.empty())
        return RESULT_OK;
    view.ShowError("Please select a file.", {});
    view.EndTransfer();
    return RESULT_NO_FILE;
}

UINT RefuseUnacceptedFile(CTransferView& view, CModbus& modbus, const std::string& path,
                          const ConfigCheckResult& file) {
    if (!file.fileError.empty())
        return FailTransfer(view, modbus, "Error opening file!", nullptr, RESULT_FILE_ERROR,
                            path + ": " + file.fileError);
    if (file.Accepted())
        return RESULT_OK;
    std::string problems;
    for (const RowReport& report : file.problems)
        problems += (problems.empty() ? "" : "\n") + DescribeRowReport(report);
    return FailTransfer(view, modbus, "Configuration Error!", nullptr, RESULT_CONFIG_ERROR,
                        problems);
}

UINT GuardTransfer(CTransferView& view, CModbus& modbus, const char* box,
                   const std::function<UINT()>& transfer,
                   const std::function<std::string()>& onFailure) {
    std::string cause;
    try {
        return transfer();
    } catch (...) {
        cause = CurrentExceptionText();
    }
    try {
        if (const std::string after = onFailure ? onFailure() : std::string(); !after.empty())
            cause += "; " + after;
    } catch (...) {
        cause += "; then: " + CurrentExceptionText();
    }
    try {
        return FailTransfer(view, modbus, box, nullptr, RESULT_INTERNAL_ERROR, cause);
    } catch (...) {
        return RESULT_INTERNAL_ERROR; // not even the report could be made
    }
}
