#include "TestPeer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int PEER_HOLD_LIMIT_MS = 30000;
constexpr std::size_t HEADER = 6;

bool WaitForInput(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0;
}

bool ReadExactly(int fd, BYTE* data, std::size_t length) {
    for (std::size_t got = 0; got < length;) {
        if (!WaitForInput(fd, PEER_IO_TIMEOUT_MS))
            return false;
        const ssize_t n = recv(fd, data + got, length - got, 0);
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
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
    if (!WaitForInput(m_listener.Fd(), PEER_IO_TIMEOUT_MS))
        return;
    int fd = accept4(m_listener.Fd(), nullptr, nullptr, SOCK_CLOEXEC);
    for (const Step& step : m_steps) {
        if (fd >= 0 && !Play(fd, step))
            fd = -1; // closed by the step
    }
    if (fd >= 0) {
        WaitForInput(fd, PEER_HOLD_LIMIT_MS);
        close(fd);
    }
}

// False once the connection is gone.
bool ScriptedPeer::Play(int fd, const Step& step) {
    switch (step.kind) {
    case Step::readFrame: {
        Bytes frame(HEADER);
        if (ReadExactly(fd, frame.data(), HEADER)) {
            frame.resize(HEADER + ((std::size_t{frame[4]} << 8) | frame[5]));
            if (ReadExactly(fd, frame.data() + HEADER, frame.size() - HEADER)) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_frames.push_back(frame);
            }
        }
        return true; // a frame that did not come is missing from Frames()
    }
    case Step::write:
        send(fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
        return true;
    case Step::pause:
        std::this_thread::sleep_for(std::chrono::milliseconds(step.ms));
        return true;
    case Step::close:
        close(fd);
        return false;
    }
    return true;
}
