#pragma once
// The steps that the jobs share: the ways a transfer ends.

#include "modbus/Modbus.h"
#include "transfer/DeviceAddress.h"
#include "transfer/TransferView.h"

#include <functional>
#include <string>

// Every end past the file choice: the view at rest, then the connection closed.
UINT EndTransfer(CTransferView& view, CModbus& modbus, UINT result);

// The error (with its cause) first, then the status text; either may be null.
UINT FailTransfer(CTransferView& view, CModbus& modbus, const char* box, const char* status,
                  UINT result, const std::string& cause = {});

// "Connecting to ORX...", the connection (given up once cancelled) and the identity check.
// RESULT_OK with an ORX connected; otherwise the transfer has ended, with cancelledStatus
// shown after a cancel, and its result is returned.
UINT ReachOrx(CTransferView& view, CModbus& modbus, const DeviceEndpoint& device,
              const char* cancelledStatus);

// The empty-path end: "Please select a file." and the view at rest; the client is not
// touched.
UINT RefuseEmptyPath(CTransferView& view);

// Runs transfer and returns its result. An exception that leaves it ends the transfer as an
// error instead: onFailure (if any), then box with the exception's text as its cause (and
// what onFailure returned after it), the view at rest, the connection closed, and
// RESULT_INTERNAL_ERROR. Nothing is thrown.
UINT GuardTransfer(CTransferView& view, CModbus& modbus, const char* box,
                   const std::function<UINT()>& transfer,
                   const std::function<std::string()>& onFailure = {});
