#pragma once
// The steps that the upload and the download workers share: the file choice, the dialog's
// arrangement while a transfer runs, and the ways a transfer ends.

#include "platform/String.h"
#include "platform/ui/WinDefs.h"

#include <functional>
#include <string>

class CORXConfigurationDlg;

constexpr UINT ERROR_BOX = MB_ICONEXCLAMATION | MB_OK;

// Asks for the configuration file (open or save); false when the dialog was dismissed.
bool ChooseConfigurationFile(BOOL bOpenFileDialog, CString& path);

// Upload and Download off, Cancel on, progress 0 of ALARM_COUNT in steps of 1.
void ArrangeForTransfer(CORXConfigurationDlg* pDlg);

// The empty-path end: "Please select a file." and the idle arrangement; the client is not
// touched.
UINT RefuseEmptyPath(CORXConfigurationDlg* pDlg);

// Every end past the file choice: the idle arrangement, then the connection closed.
UINT EndTransfer(CORXConfigurationDlg* pDlg, UINT result);

// "what: the client's text for code", the detail of a failed exchange.
std::string DeviceFailure(CORXConfigurationDlg* pDlg, const char* what, WORD code);

// Runs transfer and returns its result. An exception that leaves it ends the transfer as an
// error instead: onFailure (if any), then box with the exception's text as its detail, the
// idle arrangement, the connection closed, and RESULT_INTERNAL_ERROR. Nothing is thrown.
UINT GuardTransfer(CORXConfigurationDlg* pDlg, const char* box,
                   const std::function<UINT()>& transfer,
                   const std::function<void()>& onFailure = {});

// The message box (with detail, the cause, beneath its text) first, then the status text;
// box and status may be null.
UINT FailTransfer(CORXConfigurationDlg* pDlg, const char* box, const char* status, UINT result,
                  const std::string& detail = {});
