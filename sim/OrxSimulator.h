#pragma once
// An ORX device on Modbus TCP, on a port of its own that libmodbus opens, one thread for
// each connection. Tests start it in-process on a free port; orx-sim wraps it for the
// command line.

#include "sim/LinkFaults.h"
#include "sim/RequestHandler.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

constexpr int DEFAULT_SPLIT_PAUSE_MS = 20;
constexpr int DEFAULT_IDLE_TIMEOUT_MS = 60000;
constexpr int SIM_NEVER = -1; // for dropAfter and stallAfter

struct SimulatorOptions {
    std::string listenAddress = "127.0.0.1";
    WORD port = 0; // 0 picks a free port
    DeviceImage image = DefaultDeviceImage();
    std::vector<WORD> failWrite; // writes covering any of these get exception 4
    // Counted per connection. dropAfter: close it after this many replies (0: at once).
    // stallAfter: take further requests in but neither carry them out nor answer them.
    int dropAfter = SIM_NEVER;
    int stallAfter = SIM_NEVER;
    // Counted per connection: this request (1 = the first) gets exception 4, nothing done.
    int failRequest = SIM_NEVER;
    // Counted over all connections: this request (1 = the first) is carried out, not answered.
    int loseReply = SIM_NEVER;
    bool split = false; // every reply in two segments with a pause between
    int splitPauseMs = DEFAULT_SPLIT_PAUSE_MS;
    int delayMs = 0; // before every reply
    LinkFaultOptions link;
    // A connection that sends nothing for this long is closed; 0 keeps it for ever.
    int idleTimeoutMs = DEFAULT_IDLE_TIMEOUT_MS;
    // One line per request, per accepted coil write and per connection closed or refused by
    // the device, from the serving threads (one at a time).
    std::function<void(const std::string&)> log;
};

class OrxSimulator {
public:
    // Listens at once; throws std::runtime_error when it cannot.
    explicit OrxSimulator(SimulatorOptions options = {});
    ~OrxSimulator();
    OrxSimulator(const OrxSimulator&) = delete;
    OrxSimulator& operator=(const OrxSimulator&) = delete;

    // Closes the listener and every connection and joins all threads. Idempotent.
    void Stop();

    WORD Port() const { return m_port; }
    const std::string& Address() const { return m_options.listenAddress; }

    DeviceImage Image() const;
    void SetImage(const DeviceImage& image);
    AlarmRecord Alarm(int n) const;
    void SetAlarm(int n, const AlarmRecord& record);
    void SetLocked(bool locked);
    void SetSerial(DWORD serial);
    void SetIdentity(WORD first);

    std::vector<CoilEvent> CoilEvents() const;
    std::vector<RequestSummary> Requests() const;

private:
    struct Connection {
        int fd = -1;          // -1 once the serving thread has closed it
        unsigned ordinal = 0; // 0 = the first accepted
        std::thread thread;
        bool finished = false;
    };

    void AcceptLoop();
    void RefuseForLackOfFiles();
    void StartServing(int fd);
    void Serve(Connection* connection);
    void CloseConnection(Connection* connection);
    void ReapFinished();
    std::vector<BYTE> Execute(const std::vector<BYTE>& request, bool carryOut);
    std::vector<BYTE> FailedRequest(const std::vector<BYTE>& request, BYTE exception);
    bool SendReply(int fd, const std::vector<BYTE>& frame);
    bool Pause(int milliseconds);
    void Log(const std::string& line);

    SimulatorOptions m_options;
    WORD m_port = 0;
    int m_listenFd = -1;
    int m_spareFd = -1; // given up for a moment to refuse a client when files run out
    std::thread m_acceptThread;

    mutable std::mutex m_memoryMutex; // image, coil events, request log
    DeviceImage m_image;
    std::vector<CoilEvent> m_coilEvents;
    std::vector<RequestSummary> m_requests;

    std::mutex m_connectionMutex; // connection list, their fds
    std::list<std::unique_ptr<Connection>> m_connections;
    unsigned m_accepted = 0;
    std::atomic<int> m_received{0}; // requests, all connections counted

    std::mutex m_stopMutex;
    std::condition_variable m_stopCv;
    std::atomic<bool> m_stopping{false};
    bool m_stopped = false;

    std::mutex m_logMutex;
};
