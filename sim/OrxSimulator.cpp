#include "sim/OrxSimulator.h"

#include <arpa/inet.h>
#include <cerrno>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int LISTEN_BACKLOG = 16;
constexpr std::size_t MBAP_LENGTH = 6; // transaction, protocol, length; the unit id follows
constexpr std::size_t MBAP_LENGTH_POS = 4;
constexpr int ACCEPT_RETRY_MS = 10;

int Listen(const std::string& address, WORD port) {
    in_addr parsed{};
    if (inet_pton(AF_INET, address.c_str(), &parsed) != 1)
        throw std::runtime_error("not an IPv4 address: " + address);
    modbus_t* ctx = modbus_new_tcp(address.c_str(), port);
    if (ctx == nullptr)
        throw std::runtime_error(std::string("modbus_new_tcp: ") + modbus_strerror(errno));
    const int fd = modbus_tcp_listen(ctx, LISTEN_BACKLOG);
    const int error = errno;
    modbus_free(ctx); // the listening socket is ours, not the context's
    if (fd < 0)
        throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) + ": " +
                                 modbus_strerror(error));
    return fd;
}

WORD BoundPort(int fd) {
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0)
        throw std::runtime_error("getsockname failed");
    return ntohs(bound.sin_port);
}

std::string Describe(const RequestSummary& r, const std::vector<BYTE>& reply, bool answered) {
    std::ostringstream line;
    line << "request unit=" << int(r.unit) << " fn=" << int(r.function) << " addr=" << r.address
         << " qty=" << r.quantity << ": ";
    if (!answered || reply.empty())
        line << "not answered";
    else if (reply[1] & EXCEPTION_FLAG)
        line << "exception " << int(reply[2]);
    else
        line << "ok";
    return line.str();
}

bool SendAll(int fd, const BYTE* data, std::size_t length) {
    while (length > 0) {
        const ssize_t sent = send(fd, data, length, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

// libmodbus frames a request by its function code and so reads only the function byte of a
// function it does not know. Taking in the rest that the header announces keeps the
// connection in step, so such a request gets its exception and the next one is understood.
bool ReceiveRest(int fd, std::vector<BYTE>& query, int& length) {
    if (length < static_cast<int>(MBAP_LENGTH))
        return true;
    const int declared = static_cast<int>(MBAP_LENGTH) +
                         ((query[MBAP_LENGTH_POS] << 8) | query[MBAP_LENGTH_POS + 1]);
    if (declared > static_cast<int>(query.size()))
        return false;
    while (length < declared) {
        const ssize_t got =
            recv(fd, query.data() + length, static_cast<std::size_t>(declared - length), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        length += static_cast<int>(got);
    }
    return true;
}

} // namespace

OrxSimulator::OrxSimulator(SimulatorOptions options)
    : m_options(std::move(options)), m_image(m_options.image) {
    m_listenFd = Listen(m_options.listenAddress, m_options.port);
    try {
        m_port = BoundPort(m_listenFd);
    } catch (...) {
        close(m_listenFd);
        throw;
    }
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

OrxSimulator::~OrxSimulator() {
    Stop();
}

void OrxSimulator::Stop() {
    {
        std::lock_guard lock(m_stopMutex);
        if (m_stopped)
            return;
        m_stopped = true;
        m_stopping = true;
    }
    m_stopCv.notify_all();
    // Wakes the blocked accept; on Linux it then fails with EINVAL.
    shutdown(m_listenFd, SHUT_RDWR);
    m_acceptThread.join();
    close(m_listenFd);
    {
        std::lock_guard lock(m_connectionMutex);
        for (auto& c : m_connections)
            if (c->fd >= 0)
                shutdown(c->fd, SHUT_RDWR);
    }
    for (auto& c : m_connections)
        c->thread.join();
    m_connections.clear();
}

void OrxSimulator::AcceptLoop() {
    while (!m_stopping) {
        modbus_t* ctx = modbus_new_tcp(m_options.listenAddress.c_str(), m_port);
        if (ctx == nullptr)
            return;
        int listenFd = m_listenFd;
        const int fd = modbus_tcp_accept(ctx, &listenFd);
        if (fd < 0) {
            modbus_free(ctx);
            if (!m_stopping)
                Pause(ACCEPT_RETRY_MS);
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        std::lock_guard lock(m_connectionMutex);
        ReapFinished();
        if (m_stopping) {
            modbus_close(ctx);
            modbus_free(ctx);
            return;
        }
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        Connection* raw = connection.get();
        m_connections.push_back(std::move(connection));
        raw->thread = std::thread([this, raw, ctx] { Serve(raw, ctx); });
    }
}

void OrxSimulator::Serve(Connection* connection, modbus_t* ctx) {
    std::vector<BYTE> query(MODBUS_TCP_MAX_ADU_LENGTH);
    const auto unitPos = static_cast<std::ptrdiff_t>(modbus_get_header_length(ctx)) - 1;
    int received = 0;
    while (!m_stopping && m_options.dropAfter != 0) {
        int length = modbus_receive(ctx, query.data());
        if (length < 0 || !ReceiveRest(connection->fd, query, length))
            break; // peer closed, bad frame, or Stop
        if (length <= unitPos)
            continue;
        ++received;
        // A stalled device takes requests in but neither carries them out nor answers.
        const bool answer = m_options.stallAfter < 0 || received <= m_options.stallAfter;
        const std::vector<BYTE> request{query.begin() + unitPos, query.begin() + length};
        const std::vector<BYTE> reply =
            received == m_options.failRequest ? FailedRequest(request) : Execute(request, answer);
        if (!answer || reply.empty())
            continue;
        std::vector<BYTE> frame{query[0],
                                query[1],
                                0,
                                0,
                                HIBYTE(static_cast<WORD>(reply.size())),
                                LOBYTE(static_cast<WORD>(reply.size()))};
        frame.insert(frame.end(), reply.begin(), reply.end());
        if (!Pause(m_options.delayMs) || !SendReply(connection->fd, frame))
            break;
        if (m_options.dropAfter >= 0 && received >= m_options.dropAfter)
            break;
    }
    CloseConnection(connection, ctx);
}

void OrxSimulator::CloseConnection(Connection* connection, modbus_t* ctx) {
    {
        std::lock_guard lock(m_connectionMutex);
        modbus_close(ctx);
        connection->fd = -1;
        connection->finished = true;
    }
    modbus_free(ctx);
}

void OrxSimulator::ReapFinished() {
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = m_connections.erase(it);
        } else {
            ++it;
        }
    }
}

std::vector<BYTE> OrxSimulator::Execute(const std::vector<BYTE>& request, bool carryOut) {
    const RequestSummary summary = SummarizeRequest(request);
    std::vector<BYTE> reply;
    std::vector<CoilEvent> events;
    {
        std::lock_guard lock(m_memoryMutex);
        m_requests.push_back(summary);
        if (carryOut) {
            reply = HandleRequest(m_image, m_options.failWrite, request, events);
            m_coilEvents.insert(m_coilEvents.end(), events.begin(), events.end());
        }
    }
    if (m_options.log) {
        Log(Describe(summary, reply, carryOut));
        for (const CoilEvent& e : events)
            Log("coil " + std::to_string(e.address) + (e.value == COIL_ON ? " ON" : " OFF"));
    }
    return reply;
}

// Logged like any request, but refused as a device failure without being carried out.
std::vector<BYTE> OrxSimulator::FailedRequest(const std::vector<BYTE>& request) {
    const RequestSummary summary = SummarizeRequest(request);
    {
        std::lock_guard lock(m_memoryMutex);
        m_requests.push_back(summary);
    }
    const std::vector<BYTE> reply{summary.unit,
                                  static_cast<BYTE>(summary.function | EXCEPTION_FLAG),
                                  EXC_SERVER_DEVICE_FAILURE};
    if (m_options.log)
        Log(Describe(summary, reply, true));
    return reply;
}

bool OrxSimulator::SendReply(int fd, const std::vector<BYTE>& frame) {
    if (!m_options.split)
        return SendAll(fd, frame.data(), frame.size());
    const std::size_t first = frame.size() / 2;
    return SendAll(fd, frame.data(), first) && Pause(m_options.splitPauseMs) &&
           SendAll(fd, frame.data() + first, frame.size() - first);
}

// Waits, but gives up as soon as Stop begins; false then.
bool OrxSimulator::Pause(int milliseconds) {
    std::unique_lock lock(m_stopMutex);
    if (milliseconds <= 0)
        return !m_stopping;
    return !m_stopCv.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return m_stopping.load(); });
}

void OrxSimulator::Log(const std::string& line) {
    std::lock_guard lock(m_logMutex);
    m_options.log(line);
}

DeviceImage OrxSimulator::Image() const {
    std::lock_guard lock(m_memoryMutex);
    return m_image;
}

void OrxSimulator::SetImage(const DeviceImage& image) {
    std::lock_guard lock(m_memoryMutex);
    m_image = image;
}

AlarmRecord OrxSimulator::Alarm(int n) const {
    std::lock_guard lock(m_memoryMutex);
    return GetAlarm(m_image, n);
}

void OrxSimulator::SetAlarm(int n, const AlarmRecord& record) {
    std::lock_guard lock(m_memoryMutex);
    ::SetAlarm(m_image, n, record);
}

void OrxSimulator::SetLocked(bool locked) {
    std::lock_guard lock(m_memoryMutex);
    m_image.locked = locked;
}

void OrxSimulator::SetSerial(DWORD serial) {
    std::lock_guard lock(m_memoryMutex);
    m_image.serial = serial;
}

void OrxSimulator::SetIdentity(WORD first) {
    std::lock_guard lock(m_memoryMutex);
    m_image.identity[0] = first;
}

std::vector<CoilEvent> OrxSimulator::CoilEvents() const {
    std::lock_guard lock(m_memoryMutex);
    return m_coilEvents;
}

std::vector<RequestSummary> OrxSimulator::Requests() const {
    std::lock_guard lock(m_memoryMutex);
    return m_requests;
}

void OrxSimulator::ClearLogs() {
    std::lock_guard lock(m_memoryMutex);
    m_coilEvents.clear();
    m_requests.clear();
}
