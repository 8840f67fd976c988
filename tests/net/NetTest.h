#pragma once
// Loopback peers that the socket and Modbus TCP/IP client tests play themselves.

#include "modbus/RemoteModbus.h"
#include "support/LoopbackPorts.h"

#include <chrono>
#include <vector>

using Bytes = std::vector<BYTE>;
using Clock = std::chrono::steady_clock;
constexpr char LOOPBACK[] = "127.0.0.1";
constexpr DWORD TIMEOUT_MS = 300;  // what the main dialog connects with
constexpr int PEER_WAIT_MS = 5000; // no peer step waits longer, so a test fails but never hangs

inline long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// A listening socket that never accepts: the system completes connections on its own.
struct Listener {
    unsigned short port = 0;
    RawSocket socket = ListenOnLoopback(8, port);
    ~Listener() { CloseRaw(socket); }
    RawSocket Accept() const { return AcceptWithin(socket, PEER_WAIT_MS); }
};
