#include "TestPeer.h"

#include <chrono>

namespace {

constexpr int PEER_HOLD_LIMIT_MS = 30000;
constexpr std::size_t HEADER = 6;

} // namespace

Listener::Listener(int backlog) {
    m_socket = ListenOnLoopback(backlog, m_port);
}

Listener::~Listener() {
    CloseRaw(m_socket);
}

std::vector<Bytes> ScriptedPeer::Frames() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

void ScriptedPeer::Run() {
    const RawSocket peer = AcceptWithin(m_listener.Socket(), PEER_IO_TIMEOUT_MS);
    if (peer == NO_RAW_SOCKET)
        return;
    SetReceiveTimeout(peer, PEER_IO_TIMEOUT_MS);
    for (const Step& step : m_steps) {
        if (step.kind == Step::close) {
            CloseRaw(peer);
            return;
        }
        if (step.kind == Step::readFrame) {
            RecordFrame(peer);
            continue;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
        SendRaw(peer, step.bytes.data(), step.bytes.size());
    }
    SetReceiveTimeout(peer, PEER_HOLD_LIMIT_MS);
    BYTE byte = 0;
    ReceiveSome(peer, &byte, 1);
    CloseRaw(peer);
}

// A frame that did not come is missing from Frames().
void ScriptedPeer::RecordFrame(RawSocket peer) {
    Bytes frame(HEADER);
    if (!ReceiveExactly(peer, frame.data(), HEADER))
        return;
    frame.resize(HEADER + ((std::size_t{frame[4]} << 8) | frame[5]));
    if (ReceiveExactly(peer, frame.data() + HEADER, frame.size() - HEADER)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frames.push_back(frame);
    }
}
