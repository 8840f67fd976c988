#pragma once
// A plain TCP client on 127.0.0.1 for byte-exact exchanges; every receive is bounded.

#include "platform/AfxTypes.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

constexpr int RAW_RECEIVE_TIMEOUT_S = 2;

class RawClient {
public:
    explicit RawClient(WORD port) : m_fd(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval timeout{RAW_RECEIVE_TIMEOUT_S, 0};
        setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        if (m_fd < 0 || connect(m_fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            if (m_fd >= 0)
                close(m_fd);
            throw std::runtime_error("cannot connect to port " + std::to_string(port));
        }
    }
    ~RawClient() { close(m_fd); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Send(const std::vector<BYTE>& bytes) {
        return send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // One recv of at most max bytes: what has arrived so far. -1 on error, 0 on close.
    ssize_t ReceiveSome(std::vector<BYTE>& into, std::size_t max) {
        into.resize(max);
        const ssize_t got = recv(m_fd, into.data(), max, 0);
        into.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return got;
    }
    // Up to count bytes; fewer when the peer closes or the time-out passes.
    std::vector<BYTE> Receive(std::size_t count) {
        std::vector<BYTE> bytes(count);
        std::size_t total = 0;
        while (total < count) {
            const ssize_t got = recv(m_fd, bytes.data() + total, count - total, 0);
            if (got <= 0)
                break;
            total += static_cast<std::size_t>(got);
        }
        bytes.resize(total);
        return bytes;
    }

private:
    int m_fd;
};
