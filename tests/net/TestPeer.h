#pragma once
// Raw TCP peers on 127.0.0.1, on ports the system picks, and the other shared pieces of the
// socket and Modbus TCP/IP client tests.

#include "modbus/RemoteModbus.h"
#include "platform/AfxTypes.h"
#include "support/LoopbackPorts.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

using Bytes = std::vector<BYTE>;

// No step of a peer waits longer than this, so a test can fail but never hang.
constexpr int PEER_IO_TIMEOUT_MS = 5000;

// A listening socket that never accepts: the system completes connections on its own.
class Listener {
public:
    explicit Listener(int backlog = 8);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    WORD Port() const { return m_port; }
    RawSocket Socket() const { return m_socket; }

private:
    RawSocket m_socket = NO_RAW_SOCKET;
    WORD m_port = 0;
};

// Accepts one connection and plays a script on it; after the last step it keeps the
// connection open (a stalled device) until the client closes it or sends more.
class ScriptedPeer {
public:
    ~ScriptedPeer() {
        if (m_thread.joinable())
            m_thread.join();
    }

    // One Modbus TCP frame: header, then as many bytes as it says.
    ScriptedPeer& ReadFrame() { return Add({Step::readFrame, {}, 0}); }
    ScriptedPeer& Write(const Bytes& bytes, int pauseBeforeMs = 0) {
        return Add({Step::write, bytes, pauseBeforeMs});
    }
    ScriptedPeer& Close() { return Add({Step::close, {}, 0}); }

    void Start() {
        m_thread = std::thread([this] { Run(); });
    }
    WORD Port() const { return m_listener.Port(); }
    std::vector<Bytes> Frames() const; // the frames read, in order

private:
    struct Step {
        enum Kind { readFrame, write, close } kind;
        Bytes bytes;
        int pauseMs;
    };
    ScriptedPeer& Add(Step step) {
        m_steps.push_back(std::move(step));
        return *this;
    }
    void Run();
    void RecordFrame(RawSocket socket);

    Listener m_listener;
    std::vector<Step> m_steps;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<Bytes> m_frames;
};

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
