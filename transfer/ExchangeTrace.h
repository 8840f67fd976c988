#pragma once
// A record of the traffic with the device, one line per exchange, for support: when, how
// long, the request in words and the register-map entry it reaches, request and reply bytes,
// and the result code with its text. Clients on several threads may share one trace.

#include "modbus/Modbus.h"
#include "transfer/Failure.h"

#include <fstream>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

class CExchangeTrace {
public:
    explicit CExchangeTrace(std::ostream& out);
    CExchangeTrace(const CExchangeTrace&) = delete;
    CExchangeTrace& operator=(const CExchangeTrace&) = delete;

    // Opens path for a new trace, "-" meaning err; a failure when it cannot be written.
    static OrFailure<std::unique_ptr<CExchangeTrace>> Open(const std::string& path,
                                                           std::ostream& err);

    // Every exchange of modbus from now on; the trace must outlive the client's use of it.
    void Attach(CModbus& modbus);
    void Write(const ExchangeRecord& record);
    // False once a line could not be written.
    bool Good();

private:
    std::unique_ptr<std::ofstream> m_file;
    std::ostream& m_out;
    std::mutex m_mutex;
};

// The line of one exchange, without its line end.
std::string TraceLine(const ExchangeRecord& record);
