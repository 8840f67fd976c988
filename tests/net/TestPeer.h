#pragma once
// Raw TCP peers on 127.0.0.1, on ports the system picks, for the socket and transport tests.

#include "platform/AfxTypes.h"

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
    int Fd() const { return m_fd; }

private:
    int m_fd = -1;
    WORD m_port = 0;
};

// Accepts one connection and plays a script on it; after the last step it keeps the
// connection open (a stalled device) until the client closes it or sends more.
class ScriptedPeer {
public:
    ScriptedPeer() = default;
    ~ScriptedPeer() {
        if (m_thread.joinable())
            m_thread.join();
    }
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // One Modbus TCP frame: header, then as many bytes as it says.
    ScriptedPeer& ReadFrame() { return Add({Step::readFrame, {}, 0}); }
    ScriptedPeer& Write(const Bytes& bytes) { return Add({Step::write, bytes, 0}); }
    ScriptedPeer& Pause(int ms) { return Add({Step::pause, {}, ms}); }
    ScriptedPeer& Close() { return Add({Step::close, {}, 0}); }

    void Start() {
        m_thread = std::thread([this] { Run(); });
    }
    WORD Port() const { return m_listener.Port(); }
    std::vector<Bytes> Frames() const; // the frames read, in order

private:
    struct Step {
        enum Kind { readFrame, write, pause, close } kind;
        Bytes bytes;
        int ms = 0;
    };
    ScriptedPeer& Add(Step step) {
        m_steps.push_back(std::move(step));
        return *this;
    }
    void Run();
    bool Play(int fd, const Step& step);

    Listener m_listener;
    std::vector<Step> m_steps;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<Bytes> m_frames;
};
