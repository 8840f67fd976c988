#pragma once
// libmodbus's own client, connected to 127.0.0.1:port, so the simulator is checked by an
// implementation we did not write.

#include <cerrno>
#include <memory>
#include <modbus/modbus.h>
#include <stdexcept>
#include <string>

struct LibmodbusClose {
    void operator()(modbus_t* ctx) const {
        modbus_close(ctx);
        modbus_free(ctx);
    }
};
using LibmodbusClient = std::unique_ptr<modbus_t, LibmodbusClose>;

// Waits up to limitS seconds for each reply.
inline LibmodbusClient ConnectLibmodbus(int port, uint32_t limitS = 1) {
    LibmodbusClient ctx(modbus_new_tcp("127.0.0.1", port));
    modbus_set_slave(ctx.get(), 1);
    modbus_set_response_timeout(ctx.get(), limitS, 0);
    if (modbus_connect(ctx.get()) != 0)
        throw std::runtime_error("connect to port " + std::to_string(port) + ": " +
                                 modbus_strerror(errno));
    return ctx;
}
