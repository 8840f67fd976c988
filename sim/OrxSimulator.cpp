#include "sim/OrxSimulator.h"

#include "modbus/TcpFrame.h"
#include "sim/RequestFrame.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int LISTEN_BACKLOG = SOMAXCONN; // a burst of clients waits instead of retrying
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

int OpenSpare() {
    return open("/dev/null", O_RDONLY | O_CLOEXEC);
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
    m_spareFd = OpenSpare();
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
    if (m_spareFd >= 0)
        close(m_spareFd);
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
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            StartServing(fd);
        else if (m_stopping)
            return;
        else if (errno == EMFILE || errno == ENFILE)
            RefuseForLackOfFiles();
        else
            Pause(ACCEPT_RETRY_MS);
    }
}

// Out of files, accept fails at once whether or not a client waits, and a waiting client
// would stay in the backlog. So: wait for a client; if files are still short, the spare
// file makes room to take it and close it, so it learns at once and nothing spins.
void OrxSimulator::RefuseForLackOfFiles() {
    pollfd listener{m_listenFd, POLLIN, 0};
    if (poll(&listener, 1, WAIT_WITHOUT_LIMIT) <= 0 || m_stopping)
        return;
    int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) {
        StartServing(fd); // files came free meanwhile
        return;
    }
    if (errno != EMFILE && errno != ENFILE)
        return;
    const std::string cause = std::strerror(errno);
    if (m_spareFd >= 0)
        close(m_spareFd);
    fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0)
        close(fd);
    m_spareFd = OpenSpare();
    if (fd < 0)
        Pause(ACCEPT_RETRY_MS);
    else if (m_options.log)
        Log("connection refused: " + cause);
}

void OrxSimulator::StartServing(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::string refusal;
    {
        std::lock_guard lock(m_connectionMutex);
        ReapFinished();
        if (m_stopping) {
            close(fd);
            return;
        }
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connection->ordinal = m_accepted++;
        Connection* raw = connection.get();
        try {
            raw->thread = std::thread([this, raw] { Serve(raw); });
            m_connections.push_back(std::move(connection));
            return;
        } catch (const std::system_error& e) {
            close(fd);
            refusal = std::string("connection refused: cannot start a thread: ") + e.what();
        }
    }
    if (m_options.log)
        Log(refusal);
}

void OrxSimulator::Serve(Connection* connection) {
    const int idleMs = m_options.idleTimeoutMs > 0 ? m_options.idleTimeoutMs : WAIT_WITHOUT_LIMIT;
    std::vector<BYTE> frame;
    LinkFaults link(m_options.link, connection->ordinal);
    int received = 0;
    while (!m_stopping && m_options.dropAfter != 0) {
        const FrameResult got = ReceiveFrame(connection->fd, frame, idleMs);
        if (got == FrameResult::Idle && m_options.log)
            Log("connection closed: nothing received for " + std::to_string(idleMs) + " ms");
        if (got != FrameResult::Whole)
            break; // peer closed, bad frame, idle, or Stop
        ++received;
        const int overall = ++m_received;
        // A stalled device takes requests in but neither carries them out nor answers.
        const bool answer = m_options.stallAfter < 0 || received <= m_options.stallAfter;
        const std::vector<BYTE> request{frame.begin() + MBAP_HEADER_SIZE, frame.end()};
        const std::vector<BYTE> reply = received == m_options.failRequest
                                            ? FailedRequest(request, EXC_SERVER_DEVICE_FAILURE)
                                        : link.Refuses(SummarizeRequest(request))
                                            ? FailedRequest(request, EXC_ILLEGAL_DATA_VALUE)
                                            : Execute(request, answer);
        if (!answer || reply.empty())
            continue;
        if (link.LosesReply(received) || overall == m_options.loseReply) {
            if (m_options.log)
                Log("reply to request " + std::to_string(received) + " lost");
            continue;
        }
        std::vector<BYTE> replyFrame{frame[0],
                                     frame[1],
                                     0,
                                     0,
                                     HIBYTE(static_cast<WORD>(reply.size())),
                                     LOBYTE(static_cast<WORD>(reply.size()))};
        replyFrame.insert(replyFrame.end(), reply.begin(), reply.end());
        if (!Pause(link.ReplyDelayMs(m_options.delayMs)) || !SendReply(connection->fd, replyFrame))
            break;
        if (m_options.dropAfter >= 0 && received >= m_options.dropAfter)
            break;
    }
    CloseConnection(connection);
}

void OrxSimulator::CloseConnection(Connection* connection) {
    std::lock_guard lock(m_connectionMutex);
    close(connection->fd);
    connection->fd = -1;
    connection->finished = true;
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

// Logged like any request, but refused with the exception without being carried out.
std::vector<BYTE> OrxSimulator::FailedRequest(const std::vector<BYTE>& request, BYTE exception) {
    const RequestSummary summary = SummarizeRequest(request);
    {
        std::lock_guard lock(m_memoryMutex);
        m_requests.push_back(summary);
    }
    const std::vector<BYTE> reply{summary.unit,
                                  static_cast<BYTE>(summary.function | EXCEPTION_FLAG), exception};
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
