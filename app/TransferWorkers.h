#pragma once
// The transfer workers; the parameter is the main dialog (CORXConfigurationDlg*). Each runs
// its job with the dialog's client, address, port and time-out, presented by the dialog's
// controls.

#include "platform/ui/WinDefs.h"

// Device to file. Returns a RESULT_* code.
UINT UploadThreadProc(LPVOID pParam);
// File to device; a download that stopped after its first write offers to put back the
// backup it made. Returns a RESULT_* code.
UINT DownloadThreadProc(LPVOID pParam);
// The device's newest backup back into it, after a question that names the backup's date.
UINT RestoreThreadProc(LPVOID pParam);
// A chosen file against the device, read-only; the differences are listed in a box.
UINT VerifyThreadProc(LPVOID pParam);

// The boxes these workers show: the restore offered after a download stopped part way (its
// first line the download's error, or "Download Cancelled!"; No by default), and texts.
constexpr UINT RESTORE_OFFER_BOX = MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
constexpr const char* RESTORE_OFFER = "Restore this backup now?";
constexpr const char* VERIFY_SAME = "The ORX holds exactly this file.";
