// The client core over a scripted transport: the requests and sizes the reply fuzz harness
// never makes, replies that do not answer their request, attempts, the throw flag and texts.
#include "modbus/Modbus.h"
#include "modbus/ModbusException.h"

#include <algorithm>
#include <deque>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

using Bytes = std::vector<BYTE>;

// A CModbus whose TxRx records each request and answers from a script, so the real
// operations can be driven byte for byte without a network.
struct ScriptedReply {
    WORD code = MODBUS_OK;   // what TxRx returns
    std::vector<BYTE> bytes; // copied into the response (none for a failure)
};

struct RecordedRequest {
    std::vector<BYTE> request; // the first requestLength bytes
    WORD responseLength = 0;   // what the operation expected
};

class ScriptedModbus : public CModbus {
public:
    // Queue one reply. An empty script answers every request with noReplyCode.
    void Reply(std::vector<BYTE> bytes) { m_script.push_back({MODBUS_OK, std::move(bytes)}); }
    void Fail(WORD code) { m_script.push_back({code, {}}); }

    WORD TxRx(const CByteArray& request, WORD requestLength, CByteArray& response,
              WORD responseLength) override {
        const auto sent = std::min<INT_PTR>(requestLength, request.GetSize());
        requests.push_back({{request.GetData(), request.GetData() + sent}, responseLength});
        if (response.GetSize() < responseLength)
            response.SetSize(responseLength);
        if (m_script.empty())
            return noReplyCode;
        const ScriptedReply reply = m_script.front();
        m_script.pop_front();
        for (std::size_t i = 0; i < reply.bytes.size() && i < responseLength; ++i)
            response[static_cast<INT_PTR>(i)] = reply.bytes[i];
        return reply.code;
    }
    BOOL IsConnected() override { return TRUE; }

    std::vector<RecordedRequest> requests;
    WORD noReplyCode = MODBUS_TCP_SOCKET_ERROR;

private:
    std::deque<ScriptedReply> m_script;
};

constexpr WORD REGISTER_ADDRESS = 3000; // 0B B8
constexpr WORD FLOAT_ADDRESS = 3004;    // 0B BC
constexpr WORD INPUT_ADDRESS = 3389;    // 0D 3D
constexpr WORD COIL_ADDRESS = 3396;     // 0D 44
constexpr WORD FOUR_REGISTERS = 4;
constexpr WORD ILLEGAL_ADDRESS_EXCEPTION = MODBUS_EXCEPTION + 2;
constexpr WORD CODE_WITHOUT_TEXT = 4;

// Four registers 1, 2, 3, 4, as the device answers them.
const Bytes GOOD_REGISTERS{0x01, 0x04, 0x08, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04};

// Any non-zero forces the coil on. Too small an array is a
// programming error, never a short read. Frame lengths travel as 16 bits: the largest
// quantities still fit (the byte count keeping its low 8 bits), one more must not wrap.
TEST(Request, FloatsCoilsAndTooSmallArraysOrWrappingQuantities) {
    constexpr WORD LARGEST_READ = (0xFFFF - 3) / 2;
    constexpr WORD LARGEST_WRITE = (0xFFFF - 7) / 2; // 7F FC
    constexpr BYTE LOW_BITS_OF_BYTE_COUNT = (2 * LARGEST_WRITE) & 0xFF;
    ScriptedModbus modbus;
    CArray<float, float> floats;
    EXPECT_EQ(modbus.ForceSingleCoil(COIL_ADDRESS, 2), modbus.noReplyCode);
    floats.SetSize(1);
    CWordArray three;
    three.SetSize(3);
    CByteArray noBytes;
    EXPECT_THROW(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, three),
                 std::invalid_argument);
    EXPECT_THROW(modbus.PresetMultipleRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, three),
                 std::invalid_argument);
    EXPECT_THROW(modbus.ReadInputStatus(INPUT_ADDRESS, noBytes), std::invalid_argument);
    EXPECT_THROW(modbus.ReadInputFloats(FLOAT_ADDRESS, floats), std::invalid_argument);

    CWordArray values;
    values.SetSize(LARGEST_READ + 1);
    values[0] = 0x1234;
    values[LARGEST_WRITE - 1] = 0xABCD;
    modbus.ReadInputRegisters(REGISTER_ADDRESS, LARGEST_READ, values);
    modbus.PresetMultipleRegisters(REGISTER_ADDRESS, LARGEST_WRITE, values);
    EXPECT_THROW(modbus.ReadInputRegisters(REGISTER_ADDRESS, LARGEST_READ + 1, values),
                 std::invalid_argument);
    EXPECT_THROW(modbus.PresetMultipleRegisters(REGISTER_ADDRESS, LARGEST_WRITE + 1, values),
                 std::invalid_argument);
    ASSERT_EQ(modbus.requests.size(), 3u);
    EXPECT_EQ(modbus.requests[0].request, (Bytes{1, 5, 0x0D, 0x44, 0xFF, 0}));
    EXPECT_EQ(modbus.requests[1].responseLength, 0xFFFF);
    const Bytes& sent = modbus.requests[2].request;
    ASSERT_EQ(sent.size(), 0xFFFFu);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 9),
              (Bytes{1, 0x10, 0x0B, 0xB8, 0x7F, 0xFC, LOW_BITS_OF_BYTE_COUNT, 0x12, 0x34}));
    EXPECT_EQ(Bytes(sent.end() - 2, sent.end()), (Bytes{0xAB, 0xCD}));
}

constexpr int NO_BYTE = -1;

// Status and float reads share this check and path; the reply fuzz harness reads both.
TEST(ReadCheck, FailedReadsNameTheCause) {
    const struct {
        WORD code;
        int changed; // the good reply's byte changed (unit 0, function 1, byte count 2), or empty
        WORD expected;
        const char* cause;
    } cases[] = {
        {ILLEGAL_ADDRESS_EXCEPTION, NO_BYTE, ILLEGAL_ADDRESS_EXCEPTION,
         "read input registers 3000 x4: device exception 2 (illegal data address)"},
        {MODBUS_TCP_READ_ERROR, NO_BYTE, MODBUS_TCP_READ_ERROR, ": result code 1003"},
        {MODBUS_OK, 0, MODBUS_BAD_RESPONSE, ": reply unit 2, 1 expected"},
        {MODBUS_OK, 1, MODBUS_BAD_RESPONSE, ": reply function 5, 4 expected"},
        {MODBUS_OK, 2, MODBUS_BAD_RESPONSE, ": byte count 9, 8 expected"},
        {MODBUS_OK, NO_BYTE, MODBUS_BAD_RESPONSE, ": reply unit 0, 1 expected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cause);
        ScriptedModbus modbus;
        Bytes reply = c.changed == NO_BYTE ? Bytes{} : GOOD_REGISTERS;
        if (c.changed != NO_BYTE)
            ++reply[static_cast<std::size_t>(c.changed)];
        c.code == MODBUS_OK ? modbus.Reply(reply) : modbus.Fail(c.code);
        CWordArray words; // left untouched on failure: the reply harness checks that
        words.SetSize(FOUR_REGISTERS);
        EXPECT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, words), c.expected);
        EXPECT_THAT(modbus.LastFailure(), ::testing::EndsWith(c.cause));
    }
}

TEST(Retry, AttemptsTheSameRequestUntilSuccessOrTheLimit) {
    Bytes wrongUnit = GOOD_REGISTERS;
    wrongUnit[0] = 2;
    const ScriptedReply socket{MODBUS_TCP_SOCKET_ERROR, {}}, write{MODBUS_TCP_WRITE_ERROR, {}},
        read{MODBUS_TCP_READ_ERROR, {}}, bad{MODBUS_OK, wrongUnit}, good{MODBUS_OK, GOOD_REGISTERS};
    const struct {
        WORD retries;
        std::vector<ScriptedReply> script;
        std::size_t attempts;
        WORD code;
    } cases[] = {{0, {socket}, 1, MODBUS_TCP_SOCKET_ERROR}, // zero means once
                 {1, {socket}, 1, MODBUS_TCP_SOCKET_ERROR},
                 {3, {socket, bad, read}, 3, MODBUS_TCP_READ_ERROR}, // the last code wins
                 {3, {write, good}, 2, MODBUS_OK},
                 {3, {bad, good}, 2, MODBUS_OK}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attempts);
        ScriptedModbus modbus;
        modbus.m_wRetries = c.retries;
        modbus.m_bThrowException = c.code == MODBUS_OK; // success after failures never throws
        for (const ScriptedReply& r : c.script)
            r.code == MODBUS_OK ? modbus.Reply(r.bytes) : modbus.Fail(r.code);
        CWordArray values;
        values.SetSize(FOUR_REGISTERS);
        EXPECT_EQ(modbus.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values), c.code);
        ASSERT_EQ(modbus.requests.size(), c.attempts);
        for (const RecordedRequest& r : modbus.requests)
            EXPECT_EQ(r.request, modbus.requests[0].request);
        EXPECT_EQ(values[3], c.code == MODBUS_OK ? 4 : 0);
    }
}

TEST(ThrowFlag, ThrowsAfterTheLastAttemptWithCodeAndText) {
    constexpr WORD RETRIES = 2;
    const struct {
        WORD code;
        const char* text;
    } cases[] = {{MODBUS_EXCEPTION, "Modbus device returned an exception code 0"},
                 {0xFFFF, "Modbus device returned an exception code 32767"},
                 {MODBUS_BAD_RESPONSE, "Received invalid device response from Modbus slave"},
                 {CODE_WITHOUT_TEXT, ""},
                 {0x7FFF, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        ScriptedModbus modbus;
        modbus.m_bThrowException = TRUE;
        modbus.m_wRetries = RETRIES;
        modbus.Fail(c.code);
        modbus.Fail(c.code);
        try {
            modbus.ForceSingleCoil(COIL_ADDRESS, TRUE);
            ADD_FAILURE() << "no exception";
        } catch (CModbusException* e) {
            EXPECT_EQ(e->m_nError, c.code);
            EXPECT_EQ(e->m_strError, c.text);
            e->Delete();
        }
        EXPECT_EQ(modbus.requests.size(), RETRIES);
    }
    EXPECT_EQ(ScriptedModbus().CModbus::ErrorMessage(MODBUS_OK), "Ok");
}

// The number follows the text unless it is 0, which the socket's messages show; the message
// is cut to the buffer.
TEST(ThrowFlag, ExceptionMessageIsCutToTheBuffer) {
    for (auto [code, chars, expected] : {std::tuple<WORD, UINT, std::string>{1, 200, "Ok error #1"},
                                         {0, 200, "Ok error"},
                                         {1, 6, "Ok er"},
                                         {1, 1, ""}}) {
        auto* e = new CModbusException("Ok", code);
        std::string text(chars, '#');
        EXPECT_TRUE(e->GetErrorMessage(text.data(), chars));
        EXPECT_EQ(text.c_str(), expected);
        e->Delete();
    }
}
