#pragma once
// IPv4 addresses as dotted text, the first field in the high byte of the number.

#include "platform/AfxTypes.h"
#include "platform/String.h"

// "A.B.C.D" with four decimal fields of 0 to 255 (leading zeros are decimal: 010 is ten)
// into an address; FALSE for anything else.
BOOL ParseDottedAddress(const char* text, DWORD& address);

// "A.B.C.D" of an address.
CString DottedAddress(DWORD address);
