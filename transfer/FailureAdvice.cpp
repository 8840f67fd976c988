#include "transfer/FailureAdvice.h"

#include "transfer/TransferResults.h"

namespace {

struct AdviceRow {
    FailureKind kind;
    std::string (*text)(const DeviceEndpoint& device);
};

const AdviceRow ADVICE[] = {
    {FailureKind::Unreachable,
     [](const DeviceEndpoint& device) {
         return "Check the address, and that port " + std::to_string(device.port) +
                " of the device is reachable from this computer.";
     }},
    {FailureKind::NoReply,
     [](const DeviceEndpoint& device) {
         return "No reply within " + std::to_string(device.timeoutMs) +
                " ms: the link is slow; start with a longer --timeout or more --retries.";
     }},
    {FailureKind::Locked,
     [](const DeviceEndpoint&) {
         return std::string("Unlock the configuration at the device, then download again.");
     }},
    {FailureKind::NotOrx,
     [](const DeviceEndpoint&) {
         return std::string("The address answers, but not as an ORX alarm device: check the "
                            "address.");
     }},
};

} // namespace

FailureKind KindOfFailure(UINT result, bool timedOut) {
    if (result == RESULT_LOCKED)
        return FailureKind::Locked;
    return result == RESULT_DEVICE_ERROR && timedOut ? FailureKind::NoReply : FailureKind::Other;
}

std::string FailureAdvice(FailureKind kind, const DeviceEndpoint& device) {
    for (const AdviceRow& row : ADVICE)
        if (row.kind == kind)
            return row.text(device);
    return {};
}
