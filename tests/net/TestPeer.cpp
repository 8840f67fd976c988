#include "TestPeer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr auto PEER_HOLD_LIMIT = std::chrono::seconds(30);

bool WaitFor(int fd, short events) {
    pollfd p{fd, events, 0};
    return poll(&p, 1, PEER_IO_TIMEOUT_MS) > 0;
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
    Close();
}

void Listener::Close() {
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

WORD ClosedPort() {
    Listener listener;
    return listener.Port();
}

ScriptedPeer::~ScriptedPeer() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_stopped.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

ScriptedPeer& ScriptedPeer::ReadFrame() {
    m_steps.push_back({Step::readFrame, {}, 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::Write(const Bytes& bytes) {
    m_steps.push_back({Step::write, bytes, 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::Pause(int ms) {
    m_steps.push_back({Step::pause, {}, ms});
    return *this;
}

ScriptedPeer& ScriptedPeer::Close() {
    m_steps.push_back({Step::close, {}, 0});
    return *this;
}

ScriptedPeer& ScriptedPeer::Reset() {
    m_steps.push_back({Step::reset, {}, 0});
    return *this;
}

void ScriptedPeer::Start() {
    m_thread = std::thread([this] { Run(); });
}

std::vector<Bytes> ScriptedPeer::Frames() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

std::string ScriptedPeer::Error() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

void ScriptedPeer::Fail(const std::string& what) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_error.empty())
        m_error = what;
}

void ScriptedPeer::Run() {
    if (!WaitFor(m_listener.Fd(), POLLIN))
        return Fail("no connection came");
    int fd = accept4(m_listener.Fd(), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return Fail("accept failed");
    for (const Step& step : m_steps) {
        if (!Play(fd, step)) {
            fd = -1; // closed by the step
            break;
        }
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_stopped.wait_for(lock, PEER_HOLD_LIMIT, [this] { return m_stop; });
    if (fd >= 0)
        close(fd);
}

// False once the connection is gone.
bool ScriptedPeer::Play(int fd, const Step& step) {
    switch (step.kind) {
    case Step::readFrame: {
        constexpr std::size_t HEADER = 6;
        Bytes frame(HEADER);
        if (!ReadExactly(fd, frame.data(), HEADER)) {
            Fail("frame header not received");
            return true;
        }
        std::size_t length = (std::size_t{frame[4]} << 8) | frame[5];
        frame.resize(HEADER + length);
        if (!ReadExactly(fd, frame.data() + HEADER, length)) {
            Fail("frame body not received");
            return true;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frames.push_back(frame);
        return true;
    }
    case Step::write:
        if (send(fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(step.bytes.size()))
            Fail("write failed");
        return true;
    case Step::pause:
        std::this_thread::sleep_for(std::chrono::milliseconds(step.ms));
        return true;
    case Step::close:
        close(fd);
        return false;
    case Step::reset: {
        linger hard{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        close(fd);
        return false;
    }
    }
    return true;
}

bool ScriptedPeer::ReadExactly(int fd, BYTE* data, std::size_t length) {
    std::size_t got = 0;
    while (got < length) {
        if (!WaitFor(fd, POLLIN))
            return false;
        ssize_t n = recv(fd, data + got, length - got, 0);
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}
