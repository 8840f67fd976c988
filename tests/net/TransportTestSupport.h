#pragma once
// Shared pieces of the socket and Modbus TCP/IP client tests.

#include "TestPeer.h"
#include "modbus/RemoteModbus.h"
#include "support/LoopbackPorts.h"

#include <chrono>
#include <cstring>

using Clock = std::chrono::steady_clock;
constexpr char LOOPBACK[] = "127.0.0.1";
constexpr DWORD DIALOG_TIMEOUT_MS = 300; // what the main dialog connects with

inline long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

inline CByteArray ToArray(const Bytes& bytes) {
    CByteArray array;
    array.SetSize(static_cast<INT_PTR>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(array.GetData(), bytes.data(), bytes.size());
    return array;
}

inline Bytes ToBytes(const CByteArray& array) {
    return Bytes(array.GetData(), array.GetData() + array.GetSize());
}

inline WORD Exchange(CRemoteModbus& client, const Bytes& request, CByteArray& response,
                     WORD responseLength) {
    return client.TxRx(ToArray(request), static_cast<WORD>(request.size()), response,
                       responseLength);
}
