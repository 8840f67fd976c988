// Bytes from the network, through a socket pair, into CRemoteModbus and the CModbus checks.
// Input: byte 0 picks the operations (bits 0-2 the first, bits 3-5 the second, bit 6 whether
// there is a second, bit 7 a large quantity), byte 1 their parameter; the rest is everything
// the device sends before it closes its side.

#include "fuzz/FuzzCheck.h"
#include "fuzz/ReplyModel.h"
#include "modbus/RemoteModbus.h"

#include <cmath>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr DWORD FUZZ_TIMEOUT_MS = 50; // the stream always ends, so no wait should reach it
constexpr WORD BASE_ADDRESS = 3000;
constexpr std::size_t RESPONSE_LIMIT = 1024 - 6;
constexpr BYTE SECOND_OP_BIT = 0x40;
constexpr BYTE LARGE_QUANTITY_BIT = 0x80;
constexpr WORD LARGE_QUANTITY = 256;
constexpr WORD WORD_SENTINEL = 0xA5A5;
constexpr float FLOAT_SENTINEL = 123.0f;
constexpr BYTE BYTE_SENTINEL = 0x5A;
constexpr INT_PTR SPARE = 2; // elements past what a read may touch
constexpr int MAX_PRESET_WORDS = 8;

struct Params {
    FuzzOp op;
    BYTE p;
    bool large;
};

WORD Quantity(const Params& a) {
    return static_cast<WORD>(a.p + (a.large ? LARGE_QUANTITY : 0));
}

WORD Address(const Params& a) {
    return static_cast<WORD>(BASE_ADDRESS + a.p);
}

std::vector<WORD> PresetValues(const Params& a) {
    std::vector<WORD> values;
    for (int i = 0; i < 1 + a.p % MAX_PRESET_WORDS; ++i)
        values.push_back(static_cast<WORD>(a.p * 257 + i));
    return values;
}

float PresetValue(const Params& a) {
    return static_cast<float>(a.p) * 0.5f - 17.25f;
}

std::vector<WORD> FloatWords(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return {static_cast<WORD>(bits & 0xFFFF), static_cast<WORD>(bits >> 16)};
}

OpRequest Request(const Params& a) {
    switch (a.op) {
    case FuzzOp::ReadRegisters: {
        const std::size_t length = 3 + 2 * std::size_t{Quantity(a)};
        return {a.op, ReadPdu(4, Address(a), Quantity(a)), length, length <= RESPONSE_LIMIT};
    }
    case FuzzOp::ReadFloats:
        return {a.op, ReadPdu(4, Address(a), 4), 11, true};
    case FuzzOp::ReadStatus:
        return {a.op, ReadPdu(2, Address(a), 1), 4, true};
    case FuzzOp::PresetRegisters:
        return {a.op, PresetPdu(Address(a), PresetValues(a)), 6, true};
    case FuzzOp::PresetFloat:
        return {a.op, PresetPdu(Address(a), FloatWords(PresetValue(a))), 6, true};
    case FuzzOp::Coil:
        return {a.op, CoilPdu(Address(a), a.p & 1), 6, true};
    }
    return {};
}

WORD WordAt(const ByteVector& data, std::size_t at) {
    return static_cast<WORD>(data[at] << 8 | data[at + 1]);
}

bool SameFloat(float a, float b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void CheckRegisters(const Params& a, const ModelResult& expected, const CWordArray& values) {
    const INT_PTR q = Quantity(a);
    for (INT_PTR i = 0; i < values.GetSize(); ++i) {
        WORD want = static_cast<WORD>(WORD_SENTINEL ^ i);
        if (expected.code == MODBUS_OK && i < q)
            want = WordAt(expected.data, 3 + 2 * static_cast<std::size_t>(i));
        FUZZ_CHECK(values[i] == want, "register values: the reply's words, else untouched");
    }
}

void CheckFloats(const ModelResult& expected, const CArray<float, float>& values) {
    for (INT_PTR k = 0; k < values.GetSize(); ++k) {
        float want = 0.0f;
        if (expected.code == MODBUS_OK && k < 2) {
            const std::size_t at = 3 + 4 * static_cast<std::size_t>(k);
            const DWORD bits = WordAt(expected.data, at) | DWORD{WordAt(expected.data, at + 2)}
                                                               << 16;
            std::memcpy(&want, &bits, sizeof want);
        }
        FUZZ_CHECK(SameFloat(values[k], want), "float values: the reply's, else 0.0");
    }
}

void CheckStatus(const ModelResult& expected, const CByteArray& values) {
    const BYTE want = expected.code == MODBUS_OK ? expected.data[3] & 1 : BYTE_SENTINEL;
    FUZZ_CHECK(values[0] == want, "status value: the reply's bit 0, else untouched");
    FUZZ_CHECK(values[1] == BYTE_SENTINEL, "status read touched a second element");
}

// Runs one operation on the client and compares result and values with the model.
void RunOp(CRemoteModbus& client, const Params& a, const ModelResult& expected) {
    WORD code = 0;
    switch (a.op) {
    case FuzzOp::ReadRegisters: {
        CWordArray values;
        values.SetSize(Quantity(a) + SPARE);
        for (INT_PTR i = 0; i < values.GetSize(); ++i)
            values[i] = static_cast<WORD>(WORD_SENTINEL ^ i);
        code = client.ReadInputRegisters(Address(a), Quantity(a), values);
        CheckRegisters(a, expected, values);
        break;
    }
    case FuzzOp::ReadFloats: {
        CArray<float, float> values;
        values.SetSize(4);
        for (INT_PTR k = 0; k < values.GetSize(); ++k)
            values[k] = FLOAT_SENTINEL;
        code = client.ReadInputFloats(Address(a), values);
        CheckFloats(expected, values);
        break;
    }
    case FuzzOp::ReadStatus: {
        CByteArray values;
        values.SetSize(SPARE);
        values[0] = values[1] = BYTE_SENTINEL;
        code = client.ReadInputStatus(Address(a), values);
        CheckStatus(expected, values);
        break;
    }
    case FuzzOp::PresetRegisters: {
        CWordArray values;
        for (WORD v : PresetValues(a))
            values.Add(v);
        code =
            client.PresetMultipleRegisters(Address(a), static_cast<WORD>(values.GetSize()), values);
        break;
    }
    case FuzzOp::PresetFloat:
        code = client.PresetFloat(Address(a), PresetValue(a));
        break;
    case FuzzOp::Coil:
        code = client.ForceSingleCoil(Address(a), a.p & 1);
        break;
    }
    FUZZ_CHECK(code == expected.code, "result code differs from the protocol's reading");
}

// Puts as much of the stream into the peer as the socket takes at once; returns that part.
ByteVector Feed(int peer, const ByteVector& stream) {
    std::size_t written = 0;
    while (written < stream.size()) {
        const ssize_t n =
            send(peer, stream.data() + written, stream.size() - written, MSG_DONTWAIT);
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    shutdown(peer, SHUT_WR); // the client sees the end instead of waiting
    return ByteVector(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(written));
}

ByteVector Drain(int peer) {
    ByteVector sent;
    BYTE chunk[512];
    for (;;) {
        const ssize_t n = recv(peer, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n <= 0)
            return sent;
        sent.insert(sent.end(), chunk, chunk + n);
    }
}

ByteVector Frame(const ByteVector& pdu) {
    ByteVector frame{
        0, 0, 0, 0, static_cast<BYTE>(pdu.size() >> 8), static_cast<BYTE>(pdu.size() & 0xFF)};
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    return frame;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    std::vector<Params> ops{{static_cast<FuzzOp>((data[0] & 7) % FUZZ_OP_COUNT), data[1],
                             (data[0] & LARGE_QUANTITY_BIT) != 0}};
    if (data[0] & SECOND_OP_BIT)
        ops.push_back({static_cast<FuzzOp>((data[0] >> 3 & 7) % FUZZ_OP_COUNT), data[1],
                       (data[0] & LARGE_QUANTITY_BIT) != 0});

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
        for (const Params& a : ops) {
            const OpRequest request = Request(a);
            if (request.fitsBuffer)
                for (BYTE b : Frame(request.pdu))
                    expectedSent.push_back(b);
            RunOp(client, a, ModelReply(stream, pos, request));
        }
    }
    FUZZ_CHECK(Drain(pair[1]) == expectedSent, "frames sent differ from the requests");
    close(pair[1]);
    return 0;
}
