#include "sim/RequestFrame.h"

#include "modbus/TcpFrame.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace {

constexpr std::size_t MIN_BODY = 2;   // unit identifier and function code
constexpr std::size_t MAX_BODY = 254; // a 260-byte frame less the header

FrameResult ReceiveExactly(int fd, BYTE* data, std::size_t length, int idleMs) {
    while (length > 0) {
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, idleMs);
        if (ready == 0)
            return FrameResult::Idle;
        const ssize_t got = ready < 0 ? -1 : recv(fd, data, length, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return FrameResult::Ended;
        data += got;
        length -= static_cast<std::size_t>(got);
    }
    return FrameResult::Whole;
}

} // namespace

FrameResult ReceiveFrame(int fd, std::vector<BYTE>& frame, int idleMs) {
    frame.resize(MBAP_HEADER_SIZE);
    const FrameResult header = ReceiveExactly(fd, frame.data(), MBAP_HEADER_SIZE, idleMs);
    if (header != FrameResult::Whole)
        return header;
    const std::size_t body = std::size_t{frame[MBAP_LENGTH_HI]} << 8 | frame[MBAP_LENGTH_LO];
    // Out of step with the client: no later byte could be trusted to start a request.
    if (body < MIN_BODY || body > MAX_BODY)
        return FrameResult::Ended;
    frame.resize(MBAP_HEADER_SIZE + body);
    return ReceiveExactly(fd, frame.data() + MBAP_HEADER_SIZE, body, idleMs);
}
