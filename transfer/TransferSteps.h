#pragma once
// The steps that the jobs share: the ways a transfer ends.

#include "modbus/Modbus.h"
#include "transfer/ConfigCheck.h"
#include "transfer/DeviceAddress.h"
#include "transfer/Failure.h"
#include "transfer/TransferResults.h"
#include "transfer/TransferView.h"

#include <functional>
#include <string>

// Every end past the file choice: the view at rest, then the connection closed.
UINT EndTransfer(CTransferView& view, CModbus& modbus, UINT result);

// The error (with its cause) first, then the status text; either may be null.
UINT FailTransfer(CTransferView& view, CModbus& modbus, const char* box, const char* status,
                  UINT result, const std::string& cause = {});
// A step's failure: a cancel shown as cancelledStatus, a file's failure as "Error writing to
// file!", any other as deviceBox, each with its cause.
UINT FailTransfer(CTransferView& view, CModbus& modbus, const Failure& failure,
                  const char* deviceBox, const char* cancelledStatus);

// "Connecting to ORX...", the connection (given up once cancelled) and the identity check.
// RESULT_OK with an ORX connected; otherwise the transfer has ended, with cancelledStatus
// shown after a cancel, and its result is returned.
UINT ReachOrx(CTransferView& view, CModbus& modbus, const DeviceEndpoint& device,
              const char* cancelledStatus);

// The device's serial number, told to the view once read; MODBUS_OK or the read's code.
WORD ReadDeviceSerial(CTransferView& view, CModbus& modbus, DWORD& serial);

// The beginning of a transfer with a file: the file chosen (to open or to write) and the
// transfer begun. RESULT_OK with path set; RESULT_NO_FILE when none was chosen, or when the
// path was empty ("Please select a file.", the view at rest, the client not touched).
UINT BeginWithFile(CTransferView& view, bool open, std::string& path);

// A file checked whole before the device is reached: RESULT_OK when it is accepted;
// otherwise the transfer has ended ("Error opening file!" with why, or "Configuration Error!"
// with every refused row, one per line, as check reports them) and its result is returned.
UINT RefuseUnacceptedFile(CTransferView& view, CModbus& modbus, const std::string& path,
                          const ConfigCheckResult& file);

// Runs transfer and returns its result. An exception that leaves it ends the transfer as an
// error instead: onFailure (if any), then box with the exception's text as its cause (and
// what onFailure returned after it), the view at rest, the connection closed, and
// RESULT_INTERNAL_ERROR. Nothing is thrown.
UINT GuardTransfer(CTransferView& view, CModbus& modbus, const char* box,
                   const std::function<UINT()>& transfer,
                   const std::function<std::string()>& onFailure = {});
