#pragma once
// Words for why an exchange failed, so that a person can tell one failure from another:
// the request ("read input registers 3000 x4"), a reply that does not answer it, a device
// exception with its standard name.

#include "platform/Array.h"

#include <string>

// Function and address of a request (unit id + PDU), with the quantity where it has one.
std::string DescribeRequest(const CByteArray& request);

// Why response (from the unit id on) is not the answer to request.
std::string WhyNotTheAnswer(const CByteArray& request, const CByteArray& response);

// "device exception 2 (illegal data address)" for exception code n.
std::string DeviceExceptionText(int n);
