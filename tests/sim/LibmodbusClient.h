#pragma once
// libmodbus's own client, connected to 127.0.0.1:port, so the simulator is checked by an
// implementation we did not write.

#include <cerrno>
#include <cstdint>
#include <memory>
#include <modbus/modbus.h>
#include <stdexcept>
#include <string>

constexpr uint32_t CLIENT_TIMEOUT_US = 1000000;
constexpr uint32_t US_PER_S = 1000000;

struct LibmodbusClose {
    void operator()(modbus_t* ctx) const {
        modbus_close(ctx);
        modbus_free(ctx);
    }
};
using LibmodbusClient = std::unique_ptr<modbus_t, LibmodbusClose>;

inline LibmodbusClient ConnectLibmodbus(int port, uint32_t timeoutUs = CLIENT_TIMEOUT_US,
                                        int unit = 1) {
    LibmodbusClient ctx(modbus_new_tcp("127.0.0.1", port));
    if (!ctx)
        throw std::runtime_error("modbus_new_tcp failed");
    modbus_set_slave(ctx.get(), unit);
    modbus_set_response_timeout(ctx.get(), timeoutUs / US_PER_S, timeoutUs % US_PER_S);
    if (modbus_connect(ctx.get()) != 0)
        throw std::runtime_error("connect to port " + std::to_string(port) + ": " +
                                 modbus_strerror(errno));
    return ctx;
}
