#pragma once
// Raw TCP peers on 127.0.0.1, on ports the system picks, for the socket and transport tests.

#include "platform/AfxTypes.h"

#include <condition_variable>
#include <mutex>
#include <string>
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
    int Fd() const { return m_fd; }
    void Close();

private:
    int m_fd = -1;
    WORD m_port = 0;
};

// A port on which nothing listens: bound, then released.
WORD ClosedPort();

// Accepts one connection and plays a script on it; after the last step it keeps the
// connection open (a stalled device) until destroyed.
class ScriptedPeer {
public:
    ScriptedPeer() = default;
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    ScriptedPeer& ReadFrame(); // one Modbus TCP frame: header, then as many bytes as it says
    ScriptedPeer& Write(const Bytes& bytes);
    ScriptedPeer& Pause(int ms);
    ScriptedPeer& Close(); // orderly close
    ScriptedPeer& Reset(); // close with a reset

    void Start();
    WORD Port() const { return m_listener.Port(); }
    std::vector<Bytes> Frames() const;
    std::string Error() const; // empty unless a step failed

private:
    struct Step {
        enum Kind { readFrame, write, pause, close, reset } kind;
        Bytes bytes;
        int ms = 0;
    };
    void Run();
    bool Play(int fd, const Step& step);
    bool ReadExactly(int fd, BYTE* data, std::size_t length);
    void Fail(const std::string& what);

    Listener m_listener;
    std::vector<Step> m_steps;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stop = false;
    std::vector<Bytes> m_frames;
    std::string m_error;
};
