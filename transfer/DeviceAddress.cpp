#include "transfer/DeviceAddress.h"

#include "net/BlockingSocket.h"

namespace {

constexpr DWORD BROADCAST = 0xFFFFFFFF;
constexpr int FIRST_FIELD_SHIFT = 24;
constexpr DWORD THIS_NETWORK_FIELD = 0;      // 0.0.0.0/8
constexpr DWORD MULTICAST_FIRST_FIELD = 224; // 224.0.0.0/4
constexpr DWORD RESERVED_FIRST_FIELD = 240;  // 240.0.0.0/4, up to the broadcast
} // namespace

OrFailure<std::string> ResolveDeviceHost(const std::string& host) {
    DWORD address = 0;
    if (ParseDottedAddress(host.c_str(), address))
        return DottedAddress(address).str();
    // Digits and dots are meant as an address: never let the resolver read "1.2.3" as 1.2.0.3.
    if (host.empty() || host.find_first_not_of("0123456789.") == std::string::npos)
        return Failure{RESULT_DEVICE_ERROR,
                       "not an IPv4 address A.B.C.D with fields 0 to 255: " + host};
    try {
        const sockaddr_in found = CBlockingSocket::GetHostByName(host.c_str(), 0);
        return DottedAddress(NetOrder32(found.sin_addr.s_addr)).str();
    } catch (CBlockingSocketException* e) {
        e->Delete();
        return Failure{RESULT_DEVICE_ERROR, "no IPv4 address for host name " + host};
    }
}

std::string DeviceName(const DeviceEndpoint& device) {
    return device.port == MODBUS_TCP_PORT ? device.host
                                          : device.host + ':' + std::to_string(device.port);
}

std::string ResolveDeviceHostInPlace(std::string& host) {
    const OrFailure<std::string> dotted = ResolveDeviceHost(host);
    if (!dotted)
        return dotted.Error().cause;
    host = *dotted;
    return {};
}

// 0.0.0.0 is worse than useless: the system takes it for this machine, so a Modbus server of
// its own would answer as if it were the device.
const char* WhyNeverADevice(DWORD address) {
    const DWORD first = address >> FIRST_FIELD_SHIFT;
    if (first == THIS_NETWORK_FIELD)
        return "addresses 0.x.x.x stand for this network or this machine, never for a device";
    if (address == BROADCAST)
        return "255.255.255.255 is the broadcast address, never a device's";
    if (first >= RESERVED_FIRST_FIELD)
        return "addresses from 240.0.0.0 on are reserved, never a device's";
    if (first >= MULTICAST_FIRST_FIELD)
        return "addresses 224.0.0.0 to 239.255.255.255 are multicast groups, never a device";
    return nullptr;
}

std::optional<Failure> ConnectToOrx(CModbus& modbus, const DeviceEndpoint& device,
                                    const ConnectCancelled& cancelled) {
    DWORD address = 0;
    if (!ParseDottedAddress(device.host.c_str(), address))
        return Failure{RESULT_DEVICE_ERROR, device.host + ": not an IPv4 address A.B.C.D"};
    if (const char* never = WhyNeverADevice(address))
        return Failure{RESULT_DEVICE_ERROR, device.host + ": " + never};
    modbus.m_wRetries = device.attempts;
    if (modbus.Connect(device.host.c_str(), device.port, device.timeoutMs, cancelled))
        return std::nullopt;
    return Failure{RESULT_DEVICE_ERROR, modbus.LastFailure()};
}
