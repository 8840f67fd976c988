#pragma once
// What a person can do about a failure that ended a transfer: one line of advice below its
// cause, the same in both dialogs and on the command line.

#include "platform/AfxTypes.h"
#include "transfer/DeviceAddress.h"

#include <string>

enum class FailureKind {
    Other,       // nothing general to advise: the cause says it all
    Unreachable, // no connection: refused, no answer, no such host
    NoReply,     // connected, but an exchange got no reply in time
    Locked,      // the device's configuration is locked against downloads
    NotOrx,      // something answers at the address, but not as an ORX
};

// The kind of a failure that ended a transfer with result, an exchange of the transfer having
// timed out or not; connection and identity failures are told apart where they happen.
FailureKind KindOfFailure(UINT result, bool timedOut);

// The advice for kind with the settings of device in force; empty for FailureKind::Other.
std::string FailureAdvice(FailureKind kind, const DeviceEndpoint& device);
