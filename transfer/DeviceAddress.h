#pragma once
// The IPv4 address of an ORX device: which addresses can be one, and connecting to one.

#include "modbus/RemoteModbus.h"
#include "platform/IpAddress.h"

#include <string>

// Why no device can have address, or nullptr when one can.
const char* WhyNeverADevice(DWORD address);

// Connects the client to the device at address and port (0: the device port) with the
// transfers' exchange time-out. An address that no device can have is not tried. The attempt
// gives up once cancelled() is true. False when not connected, with why set when the cause
// is known.
bool ConnectToOrx(CRemoteModbus& modbus, DWORD address, WORD port,
                  const ConnectCancelled& cancelled, std::string& why);
