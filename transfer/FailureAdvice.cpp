#include "transfer/FailureAdvice.h"

#include "transfer/TransferResults.h"

FailureKind KindOfFailure(UINT result, bool timedOut) {
    if (result == RESULT_LOCKED)
        return FailureKind::Locked;
    return result == RESULT_DEVICE_ERROR && timedOut ? FailureKind::NoReply : FailureKind::Other;
}

std::string FailureAdvice(FailureKind kind, const DeviceEndpoint& device) {
    switch (kind) {
    case FailureKind::Unreachable:
        return "Check the address, and that port " + std::to_string(device.port) +
               " of the device is reachable from this computer.";
    case FailureKind::NoReply:
        return "No reply within " + std::to_string(device.timeoutMs) +
               " ms: the link is slow; start with a longer --timeout or more --retries.";
    case FailureKind::Locked:
        return "Unlock the configuration at the device, then download again.";
    case FailureKind::NotOrx:
        return "The address answers, but not as an ORX alarm device: check the address.";
    case FailureKind::Other:
        break;
    }
    return {};
}
