#pragma once
// One plan carried out by each client under test; false at the first failed exchange.

#include "bench/TransferPlans.h"

#include <thread>
#include <vector>

class CRemoteModbus;
struct _modbus;

bool RunPlan(CRemoteModbus& client, const Plan& plan);
bool RunPlan(_modbus* client, const Plan& plan);

// The floor: the same frame sizes over a plain connected socket, one send and a receive
// loop per exchange, against RawServer.
bool RunPlanRaw(int fd, const Plan& plan);

// A Modbus TCP peer that only reads each request and answers with a reply of the right
// size that echoes the request's header and first fields: the least any device could do.
// A thread per connection; clients close theirs before the server is destroyed.
class RawServer {
public:
    RawServer();
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;
    WORD Port() const { return m_port; }

private:
    void Accept();
    int m_listenFd = -1;
    WORD m_port = 0;
    std::thread m_acceptThread;
    std::vector<std::thread> m_connections;
};

// A connected, no-delay TCP socket to 127.0.0.1:port; throws std::runtime_error.
int ConnectRaw(WORD port);
