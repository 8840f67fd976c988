#include "TestPeer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int PEER_HOLD_LIMIT_MS = 30000;
constexpr std::size_t HEADER = 6;

// Also bounds accept() on a listening socket.
void SetReceiveTimeout(int fd, int ms) {
    const timeval limit{ms / 1000, (ms % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
}

bool ReadExactly(int fd, BYTE* data, std::size_t length) {
    return recv(fd, data, length, MSG_WAITALL) == static_cast<ssize_t>(length);
}

} // namespace

Listener::Listener(int backlog) {
    m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (m_fd < 0 || bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(m_fd, backlog) != 0 ||
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("test listener: cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
}

Listener::~Listener() {
    if (m_fd >= 0)
        close(m_fd);
}

std::vector<Bytes> ScriptedPeer::Frames() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

void ScriptedPeer::Run() {
    SetReceiveTimeout(m_listener.Fd(), PEER_IO_TIMEOUT_MS);
    const int fd = accept4(m_listener.Fd(), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    SetReceiveTimeout(fd, PEER_IO_TIMEOUT_MS);
    for (const Step& step : m_steps) {
        if (step.kind == Step::close) {
            close(fd);
            return;
        }
        if (step.kind == Step::readFrame) {
            RecordFrame(fd);
            continue;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
        send(fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
    }
    SetReceiveTimeout(fd, PEER_HOLD_LIMIT_MS);
    BYTE byte = 0;
    recv(fd, &byte, 1, 0);
    close(fd);
}

// A frame that did not come is missing from Frames().
void ScriptedPeer::RecordFrame(int fd) {
    Bytes frame(HEADER);
    if (!ReadExactly(fd, frame.data(), HEADER))
        return;
    frame.resize(HEADER + ((std::size_t{frame[4]} << 8) | frame[5]));
    if (ReadExactly(fd, frame.data() + HEADER, frame.size() - HEADER)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frames.push_back(frame);
    }
}
