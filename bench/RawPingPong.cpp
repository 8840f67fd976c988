#include "bench/Clients.h"
#include "modbus/FunctionCodes.h"

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::size_t MBAP = 6;
constexpr std::size_t LENGTH_HI = 4;
constexpr std::size_t LENGTH_LO = 5;
constexpr std::size_t FUNCTION = 7;
constexpr std::size_t QUANTITY = 10;
constexpr std::size_t FRAME_LIMIT = 260;
constexpr std::size_t ECHOED = 6;     // unit, function, address, quantity or value
constexpr std::size_t BYTE_COUNT = 8; // of a read reply
constexpr std::size_t READ_REPLY_HEADER = 3;

void NoDelay(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

sockaddr_in Loopback(WORD port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool SendAll(int fd, const BYTE* data, std::size_t length) {
    while (length > 0) {
        const ssize_t n = send(fd, data, length, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReceiveAll(int fd, BYTE* data, std::size_t length) {
    while (length > 0) {
        const ssize_t n = recv(fd, data, length, 0);
        if (n <= 0)
            return false;
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

std::size_t ReplySizeFor(const BYTE* request) {
    const std::size_t quantity = std::size_t{request[QUANTITY]} << 8 | request[QUANTITY + 1];
    Step step{StepKind::Coil, 0, static_cast<WORD>(quantity)};
    if (request[FUNCTION] == FN_READ_INPUT_REGISTERS)
        step.kind = StepKind::ReadRegisters;
    else if (request[FUNCTION] == FN_READ_DISCRETE_INPUTS)
        step.kind = StepKind::ReadStatus;
    return ReplyFrameSize(step);
}

// The transaction, unit and function of the request, then its first fields again (a write's
// echo) with a read's byte count in place; the values are of no interest.
void Echo(const BYTE* request, std::size_t requestBody, BYTE* reply, std::size_t size) {
    std::copy(request, request + LENGTH_HI, reply);
    reply[LENGTH_LO] = static_cast<BYTE>(size - MBAP);
    std::copy(request + MBAP, request + MBAP + std::min({requestBody, size - MBAP, ECHOED}),
              reply + MBAP);
    if (request[FUNCTION] == FN_READ_INPUT_REGISTERS ||
        request[FUNCTION] == FN_READ_DISCRETE_INPUTS)
        reply[BYTE_COUNT] = static_cast<BYTE>(size - MBAP - READ_REPLY_HEADER);
}

// Reads one request (header, then as many bytes as it says) and answers it.
bool AnswerOne(int fd, BYTE* frame) {
    if (!ReceiveAll(fd, frame, MBAP))
        return false;
    const std::size_t body = std::size_t{frame[LENGTH_HI]} << 8 | frame[LENGTH_LO];
    if (body > FRAME_LIMIT - MBAP || !ReceiveAll(fd, frame + MBAP, body))
        return false;
    const std::size_t size = ReplySizeFor(frame);
    BYTE reply[FRAME_LIMIT] = {};
    Echo(frame, body, reply, size);
    return SendAll(fd, reply, size);
}

} // namespace

RawServer::RawServer() {
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = Loopback(0);
    socklen_t size = sizeof a;
    if (m_listenFd < 0 || bind(m_listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(m_listenFd, 4) != 0 ||
        getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&a), &size) != 0)
        throw std::runtime_error("raw server: cannot listen on 127.0.0.1");
    m_port = ntohs(a.sin_port);
    m_acceptThread = std::thread([this] { Accept(); });
}

RawServer::~RawServer() {
    shutdown(m_listenFd, SHUT_RDWR); // ends the accept with an error
    m_acceptThread.join();
    for (std::thread& t : m_connections)
        t.join();
    close(m_listenFd);
}

void RawServer::Accept() {
    for (;;) {
        const int fd = accept(m_listenFd, nullptr, nullptr);
        if (fd < 0)
            return;
        NoDelay(fd);
        m_connections.emplace_back([fd] {
            BYTE frame[FRAME_LIMIT];
            while (AnswerOne(fd, frame)) {
            }
            close(fd);
        });
    }
}

int ConnectRaw(WORD port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = Loopback(port);
    if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        if (fd >= 0)
            close(fd);
        throw std::runtime_error("raw client: cannot connect to 127.0.0.1");
    }
    NoDelay(fd);
    return fd;
}

bool RunPlanRaw(int fd, const Plan& plan) {
    BYTE request[FRAME_LIMIT] = {};
    BYTE reply[FRAME_LIMIT];
    for (const Step& s : plan) {
        const std::size_t size = RequestFrameSize(s);
        request[LENGTH_LO] = static_cast<BYTE>(size - MBAP);
        request[FUNCTION] = s.kind == StepKind::ReadStatus ? FN_READ_DISCRETE_INPUTS
                            : s.kind == StepKind::ReadRegisters || s.kind == StepKind::ReadFloats
                                ? FN_READ_INPUT_REGISTERS
                                : 0;
        request[QUANTITY + 1] = static_cast<BYTE>(s.quantity);
        if (!SendAll(fd, request, size) || !ReceiveAll(fd, reply, ReplyFrameSize(s)))
            return false;
    }
    return true;
}
