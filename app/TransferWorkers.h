#pragma once
// The two transfer workers; the parameter is the main dialog (CORXConfigurationDlg*). Each
// runs its job with the dialog's client, address, port and time-out, presented by the
// dialog's controls.

#include "platform/AfxTypes.h"

// Device to file. Returns a RESULT_* code.
UINT UploadThreadProc(LPVOID pParam);
// File to device. Returns a RESULT_* code.
UINT DownloadThreadProc(LPVOID pParam);
