#pragma once
// libmodbus's own client, connected to 127.0.0.1:port, so the simulator is checked by an
// implementation we did not write.

#include <cerrno>
#include <cstdint>
#include <modbus/modbus.h>
#include <stdexcept>
#include <string>

constexpr uint32_t CLIENT_TIMEOUT_US = 1000000;
constexpr uint32_t US_PER_S = 1000000;

class LibmodbusClient {
public:
    explicit LibmodbusClient(int port, uint32_t timeoutUs = CLIENT_TIMEOUT_US, int unit = 1)
        : m_ctx(modbus_new_tcp("127.0.0.1", port)) {
        if (m_ctx == nullptr)
            throw std::runtime_error("modbus_new_tcp failed");
        modbus_set_slave(m_ctx, unit);
        modbus_set_response_timeout(m_ctx, timeoutUs / US_PER_S, timeoutUs % US_PER_S);
        if (modbus_connect(m_ctx) != 0) {
            const std::string error = modbus_strerror(errno);
            modbus_free(m_ctx);
            throw std::runtime_error("connect to port " + std::to_string(port) + ": " + error);
        }
    }
    ~LibmodbusClient() {
        modbus_close(m_ctx);
        modbus_free(m_ctx);
    }
    LibmodbusClient(const LibmodbusClient&) = delete;
    LibmodbusClient& operator=(const LibmodbusClient&) = delete;

    modbus_t* get() const { return m_ctx; }

private:
    modbus_t* m_ctx;
};
