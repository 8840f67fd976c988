#pragma once
// Ports on 127.0.0.1 that the tests pick themselves.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

// A loopback port that was free a moment ago and has no listener: connecting is refused.
inline unsigned short RefusingPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(fd);
    if (!bound)
        throw std::runtime_error("bind");
    return ntohs(address.sin_port);
}

// A loopback port whose listener never accepts and whose queue is full: the system drops
// further connection requests, so a connect to it neither succeeds nor fails until the
// connecting side gives up.
class UnansweredPort {
public:
    UnansweredPort() {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listener < 0 ||
            ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 0) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("listener");
        m_port = ntohs(address.sin_port);
        // A backlog of 0 still queues one connection: that one fills the queue.
        const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        m_fillers.push_back(filler);
        ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        pollfd connected{filler, POLLOUT, 0};
        if (::poll(&connected, 1, FILL_LIMIT_MS) != 1)
            throw std::runtime_error("filler");
    }
    ~UnansweredPort() {
        for (const int fd : m_fillers)
            ::close(fd);
        ::close(m_listener);
    }
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;
    unsigned short Port() const { return m_port; }

private:
    static constexpr int FILL_LIMIT_MS = 2000;
    int m_listener = -1;
    unsigned short m_port = 0;
    std::vector<int> m_fillers;
};
