// Bytes from the network, through a socket pair, into CRemoteModbus and the CModbus checks,
// compared with a second reading of the same bytes written from the protocol, not from the
// client's code. Input: byte 0 picks the operations (bits 0-2 the first, bits 3-5 the second,
// bit 6 whether there is a second, bit 7 a large quantity), byte 1 their parameter; the rest
// is everything the device sends before it closes its side.

#include "fuzz/FuzzCheck.h"
#include "modbus/RemoteModbus.h"

#include <algorithm>
#include <bit>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using ByteVector = std::vector<BYTE>;
enum Op { READ_REGISTERS, READ_FLOATS, READ_STATUS, PRESET_REGISTERS, PRESET_FLOAT, COIL, OPS };
constexpr BYTE FUNCTION[OPS] = {4, 4, 2, 16, 16, 5};

constexpr DWORD FUZZ_TIMEOUT_MS = 50; // the stream always ends, so no wait should reach it
constexpr WORD BASE_ADDRESS = 3000;
constexpr std::size_t HEADER = 6;
constexpr std::size_t RESPONSE_LIMIT = 1024 - HEADER;
constexpr WORD LARGE_QUANTITY = 256;
constexpr BYTE EXCEPTION_ABOVE = 0x80;
constexpr BYTE MAPPED_FROM = 128;
constexpr BYTE SENTINEL = 0x5A; // in every element a read must not touch
constexpr INT_PTR SPARE = 2;    // elements past what a read may touch
constexpr int MAX_PRESET_WORDS = 8;

struct Request {
    Op op;
    BYTE p;
    WORD quantity = 0;              // of registers read, or of inputs
    std::vector<WORD> words;        // written
    ByteVector pdu;                 // unit identifier and PDU, as the client must send it
    std::size_t responseLength = 6; // what the client expects back
    bool IsRead() const { return op <= READ_STATUS; }
};

struct Outcome {
    WORD code = 0;
    ByteVector data; // the accepted reply (responseLength bytes) when code is 0
};

void Push(ByteVector& bytes, WORD value) {
    bytes.push_back(static_cast<BYTE>(value >> 8));
    bytes.push_back(static_cast<BYTE>(value & 0xFF));
}

WORD WordAt(const ByteVector& data, std::size_t at) {
    return static_cast<WORD>(data[at] << 8 | data[at + 1]);
}

float PresetValue(BYTE p) {
    return static_cast<float>(p) * 0.5f - 17.25f;
}

std::vector<WORD> PresetWords(Op op, BYTE p) {
    if (op == PRESET_FLOAT) { // low word first
        const auto bits = std::bit_cast<DWORD>(PresetValue(p));
        return {static_cast<WORD>(bits & 0xFFFF), static_cast<WORD>(bits >> 16)};
    }
    std::vector<WORD> values;
    for (int i = 0; i < 1 + p % MAX_PRESET_WORDS; ++i)
        values.push_back(static_cast<WORD>(p * 257 + i));
    return values;
}

Request MakeRequest(Op op, BYTE p, bool large) {
    Request r{.op = op, .p = p, .words = {}, .pdu = {1, FUNCTION[op]}};
    Push(r.pdu, static_cast<WORD>(BASE_ADDRESS + p));
    if (op == READ_REGISTERS || op == READ_FLOATS) {
        r.quantity = op == READ_FLOATS ? 4 : static_cast<WORD>(p + (large ? LARGE_QUANTITY : 0));
        r.responseLength = 3 + 2 * std::size_t{r.quantity};
    } else if (op == READ_STATUS) {
        r.quantity = 1;
        r.responseLength = 4; // one data byte for up to eight inputs
    }
    if (r.IsRead())
        Push(r.pdu, r.quantity);
    if (op == COIL)
        Push(r.pdu, p & 1 ? 0xFF00 : 0x0000);
    if (op == PRESET_REGISTERS || op == PRESET_FLOAT) {
        r.words = PresetWords(op, p);
        Push(r.pdu, static_cast<WORD>(r.words.size()));
        r.pdu.push_back(static_cast<BYTE>(2 * r.words.size()));
        for (WORD v : r.words)
            Push(r.pdu, v);
    }
    return r;
}

// Reads one reply from stream at pos, as the client must; advances pos past what it takes.
Outcome ModelReply(const ByteVector& stream, std::size_t& pos, const Request& r) {
    if (r.responseLength > RESPONSE_LIMIT)
        return {MODBUS_TCP_BUFFER_OVERFLOW, {}};
    const std::size_t left = stream.size() - pos;
    const std::size_t bodyLength = left < HEADER ? 0 : stream[pos + HEADER - 1]; // low byte only
    if (left < HEADER || left - HEADER < bodyLength) {
        pos = stream.size(); // the stream ends inside the header or the body
        return {MODBUS_TCP_READ_ERROR, {}};
    }
    const auto body = stream.begin() + static_cast<std::ptrdiff_t>(pos + HEADER);
    pos += HEADER + bodyLength;
    if (bodyLength > 1 && body[1] > EXCEPTION_ABOVE) {
        const BYTE exception = bodyLength > 2 ? body[2] : 0;
        if (exception < MAPPED_FROM)
            return {static_cast<WORD>(MODBUS_EXCEPTION + exception), {}};
        // 128 maps to 0 with nothing copied: the core then sees zeros, which answer nothing.
        const WORD mapped = static_cast<WORD>(exception - MAPPED_FROM);
        return {mapped == MODBUS_OK ? MODBUS_BAD_RESPONSE : mapped, {}};
    }
    if (bodyLength < r.responseLength)
        return {MODBUS_BAD_RESPONSE, {}};
    // An accepted reply names unit and function and announces the data asked for in its byte 2
    // (reads), or echoes the first six bytes of its request (writes).
    const ByteVector reply(body, body + static_cast<std::ptrdiff_t>(r.responseLength));
    const std::size_t dataBytes = r.op == READ_STATUS ? 1 : 2 * std::size_t{r.quantity};
    if ((r.IsRead() && reply[2] != static_cast<BYTE>(dataBytes)) ||
        !std::equal(reply.begin(), reply.begin() + (r.IsRead() ? 2 : 6), r.pdu.begin()))
        return {MODBUS_BAD_RESPONSE, {}};
    return {MODBUS_OK, reply};
}

// Runs one operation on the client and compares result and values with the model.
void RunOp(CRemoteModbus& client, const Request& r, const Outcome& expected) {
    const bool ok = expected.code == MODBUS_OK;
    const WORD address = static_cast<WORD>(BASE_ADDRESS + r.p);
    const auto word = [&](std::size_t i) { return WordAt(expected.data, 3 + 2 * i); };
    WORD code = 0;
    if (r.op == READ_REGISTERS) {
        CWordArray values;
        values.SetSize(r.quantity + SPARE);
        for (INT_PTR i = 0; i < values.GetSize(); ++i)
            values[i] = static_cast<WORD>(SENTINEL ^ i);
        code = client.ReadInputRegisters(address, r.quantity, values);
        for (INT_PTR i = 0; i < values.GetSize(); ++i)
            FuzzCheck(values[i] == (ok && i < r.quantity ? word(static_cast<std::size_t>(i))
                                                         : static_cast<WORD>(SENTINEL ^ i)),
                      "register values: the reply's words, else untouched");
    } else if (r.op == READ_FLOATS) {
        CArray<float, float> values; // filled, so that a read that leaves them is seen
        for (int k = 0; k < 4; ++k)
            values.Add(SENTINEL);
        code = client.ReadInputFloats(address, values);
        for (std::size_t k = 0; k < 4; ++k) // two floats, low word first; else 0.0
            FuzzCheck(std::bit_cast<DWORD>(values[static_cast<INT_PTR>(k)]) ==
                          (ok && k < 2 ? word(2 * k) | DWORD{word(2 * k + 1)} << 16 : DWORD{0}),
                      "float values: the reply's, else 0.0");
    } else if (r.op == READ_STATUS) {
        CByteArray values;
        values.Add(SENTINEL);
        values.Add(SENTINEL);
        code = client.ReadInputStatus(address, values);
        FuzzCheck(values[0] == (ok ? expected.data[3] & 1 : SENTINEL),
                  "status value: the reply's bit 0, else untouched");
        FuzzCheck(values[1] == SENTINEL, "status read touched a second element");
    } else if (r.op == COIL) {
        code = client.ForceSingleCoil(address, r.p & 1);
    } else if (r.op == PRESET_FLOAT) {
        code = client.PresetFloat(address, PresetValue(r.p));
    } else {
        CWordArray values;
        for (WORD v : r.words)
            values.Add(v);
        code = client.PresetMultipleRegisters(address, static_cast<WORD>(values.GetSize()), values);
    }
    FuzzCheck(code == expected.code, "result code differs from the protocol's reading");
}

// Puts as much of the stream into the peer as the socket takes at once; returns that part.
ByteVector Feed(int peer, const ByteVector& stream) {
    std::size_t written = 0;
    for (ssize_t n; written < stream.size(); written += static_cast<std::size_t>(n))
        if ((n = send(peer, stream.data() + written, stream.size() - written, MSG_DONTWAIT)) <= 0)
            break;
    shutdown(peer, SHUT_WR); // the client sees the end instead of waiting
    return ByteVector(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(written));
}

ByteVector Drain(int peer) {
    ByteVector sent;
    BYTE chunk[512];
    for (ssize_t n; (n = recv(peer, chunk, sizeof chunk, MSG_DONTWAIT)) > 0;)
        sent.insert(sent.end(), chunk, chunk + n);
    return sent;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const bool large = (data[0] & 0x80) != 0;
    std::vector<Request> requests{
        MakeRequest(static_cast<Op>((data[0] & 7) % OPS), data[1], large)};
    if (data[0] & 0x40)
        requests.push_back(MakeRequest(static_cast<Op>((data[0] >> 3 & 7) % OPS), data[1], large));

    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return 0;
    const ByteVector stream = Feed(pair[1], ByteVector(data + 2, data + size));
    ByteVector expectedSent;
    {
        CRemoteModbus client;
        client.m_socket.m_hSocket = pair[0]; // the destructor closes it
        client.m_addrRemote.sin_addr.s_addr = NetOrder32(LOOPBACK_ADDRESS);
        client.m_dwTimeout = FUZZ_TIMEOUT_MS;
        std::size_t pos = 0;
        for (const Request& r : requests) {
            if (r.responseLength <= RESPONSE_LIMIT) { // else refused before anything is sent
                for (WORD w : {WORD{0}, WORD{0}, static_cast<WORD>(r.pdu.size())})
                    Push(expectedSent, w);
                expectedSent.insert(expectedSent.end(), r.pdu.begin(), r.pdu.end());
            }
            RunOp(client, r, ModelReply(stream, pos, r));
        }
    }
    FuzzCheck(Drain(pair[1]) == expectedSent, "frames sent differ from the requests");
    close(pair[1]);
    return 0;
}
