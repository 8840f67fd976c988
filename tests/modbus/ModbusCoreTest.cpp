// The client core over a scripted transport: the requests and sizes the reply fuzz harness
// never makes, replies that do not answer their request, attempts, the throw flag and texts.
#include "modbus/ModbusException.h"
#include "support/ScriptedModbus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<BYTE>;
using Operation = std::function<WORD(CModbus&)>;

constexpr WORD REGISTER_ADDRESS = 3000; // 0B B8
constexpr WORD FLOAT_ADDRESS = 3004;    // 0B BC
constexpr WORD INPUT_ADDRESS = 3389;    // 0D 3D
constexpr WORD COIL_ADDRESS = 3396;     // 0D 44
constexpr WORD FOUR_REGISTERS = 4;
constexpr WORD ILLEGAL_ADDRESS_EXCEPTION = MODBUS_EXCEPTION + 2;
constexpr WORD CODE_WITHOUT_TEXT = 4;
constexpr float ONE_TENTH = 0.1f; // bit pattern 3DCC CCCD
constexpr float STALE_FLOAT = 5.0f;
constexpr WORD STALE_WORD = 0x5A5A;
constexpr BYTE STALE_BYTE = 7;

// Four registers 1, 2, 3, 4 and input status 1, as the device answers them.
const Bytes GOOD_REGISTERS{0x01, 0x04, 0x08, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04};
const Bytes GOOD_STATUS{0x01, 0x02, 0x01, 0x01};

CWordArray Words(INT_PTR size, WORD fill = 0) {
    CWordArray a;
    a.SetSize(size);
    for (INT_PTR i = 0; i < size; ++i)
        a[i] = fill;
    return a;
}

CArray<float, float> Floats(INT_PTR size, float fill) {
    CArray<float, float> a;
    a.SetSize(size);
    for (INT_PTR i = 0; i < size; ++i)
        a[i] = fill;
    return a;
}

WORD ReadRegisters(CModbus& m, CWordArray& values) {
    return m.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values);
}

TEST(Request, TwoFloatsReadFourRegistersAndAnyNonZeroForcesTheCoilOn) {
    ScriptedModbus modbus;
    CArray<float, float> two = Floats(2, 0.0f);
    EXPECT_EQ(modbus.ReadInputFloats(FLOAT_ADDRESS, two), modbus.noReplyCode);
    EXPECT_EQ(modbus.ForceSingleCoil(COIL_ADDRESS, 2), modbus.noReplyCode);
    ASSERT_EQ(modbus.requests.size(), 2u);
    EXPECT_EQ(modbus.requests[0].request, (Bytes{1, 4, 0x0B, 0xBC, 0, 4}));
    EXPECT_EQ(modbus.requests[0].responseLength, 11);
    EXPECT_EQ(modbus.requests[1].request, (Bytes{1, 5, 0x0D, 0x44, 0xFF, 0}));
}

// Too small an array is a programming error, never a short read. Frame lengths travel as 16
// bits: the largest quantities still fit (the byte count keeping its low 8 bits), one more
// must not wrap.
TEST(Request, TooSmallArraysAndWrappingQuantitiesAreRejected) {
    constexpr WORD LARGEST_READ = (0xFFFF - 3) / 2;
    constexpr WORD LARGEST_WRITE = (0xFFFF - 7) / 2; // 7F FC
    constexpr BYTE LOW_BITS_OF_BYTE_COUNT = (2 * LARGEST_WRITE) & 0xFF;
    ScriptedModbus modbus;
    CWordArray three = Words(3);
    CByteArray noBytes;
    CArray<float, float> oneFloat = Floats(1, 0.0f);
    EXPECT_THROW(ReadRegisters(modbus, three), std::invalid_argument);
    EXPECT_THROW(modbus.PresetMultipleRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, three),
                 std::invalid_argument);
    EXPECT_THROW(modbus.ReadInputStatus(INPUT_ADDRESS, noBytes), std::invalid_argument);
    EXPECT_THROW(modbus.ReadInputFloats(FLOAT_ADDRESS, oneFloat), std::invalid_argument);

    CWordArray values = Words(LARGEST_READ + 1, 0x1234);
    values[LARGEST_WRITE - 1] = 0xABCD;
    modbus.ReadInputRegisters(REGISTER_ADDRESS, LARGEST_READ, values);
    modbus.PresetMultipleRegisters(REGISTER_ADDRESS, LARGEST_WRITE, values);
    EXPECT_THROW(modbus.ReadInputRegisters(REGISTER_ADDRESS, LARGEST_READ + 1, values),
                 std::invalid_argument);
    EXPECT_THROW(modbus.PresetMultipleRegisters(REGISTER_ADDRESS, LARGEST_WRITE + 1, values),
                 std::invalid_argument);
    ASSERT_EQ(modbus.requests.size(), 2u);
    EXPECT_EQ(modbus.requests[0].responseLength, 0xFFFF);
    const Bytes& sent = modbus.requests[1].request;
    ASSERT_EQ(sent.size(), 0xFFFFu);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 9),
              (Bytes{1, 0x10, 0x0B, 0xB8, 0x7F, 0xFC, LOW_BITS_OF_BYTE_COUNT, 0x12, 0x34}));
    EXPECT_EQ(Bytes(sent.end() - 2, sent.end()), (Bytes{0xAB, 0xCD}));
}

constexpr int NO_BYTE = -1;

// Scripts a failing code, an empty reply (NO_BYTE), or the good reply with one byte changed.
void Script(ScriptedModbus& modbus, WORD code, int changed, Bytes reply) {
    if (code != MODBUS_OK)
        return modbus.Fail(code);
    if (changed == NO_BYTE)
        reply.clear();
    else
        ++reply[static_cast<std::size_t>(changed)];
    modbus.Reply(reply);
}

TEST(ReadCheck, FailedReadsLeaveRegistersAndStatusUntouchedAndZeroFloats) {
    const struct {
        WORD code;
        int changed; // unit 0, function 1, byte count 2
        WORD expected;
        const char* cause; // of the register read
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
        Script(modbus, c.code, c.changed, GOOD_REGISTERS);
        Script(modbus, c.code, c.changed, GOOD_STATUS);
        Script(modbus, c.code, c.changed, GOOD_REGISTERS);
        CWordArray words = Words(FOUR_REGISTERS, STALE_WORD);
        CByteArray status;
        status.Add(STALE_BYTE);
        CArray<float, float> floats = Floats(4, STALE_FLOAT);
        EXPECT_EQ(ReadRegisters(modbus, words), c.expected);
        EXPECT_THAT(modbus.LastFailure(), ::testing::EndsWith(c.cause));
        EXPECT_EQ(modbus.ReadInputStatus(INPUT_ADDRESS, status), c.expected);
        EXPECT_NE(modbus.ReadInputFloats(FLOAT_ADDRESS, floats), MODBUS_OK);
        for (INT_PTR i = 0; i < 4; ++i) {
            EXPECT_EQ(words[i], STALE_WORD) << "element " << i;
            EXPECT_EQ(floats[i], 0.0f) << "element " << i;
        }
        EXPECT_EQ(status[0], STALE_BYTE);
    }
}

// All six reply bytes must repeat the request.
TEST(WriteCheck, AnyDifferingByteOrAnEmptyReplyGivesBadResponse) {
    const struct {
        Operation operation;
        Bytes echo;
    } writes[] = {{[](CModbus& m) { return m.PresetFloat(FLOAT_ADDRESS, ONE_TENTH); },
                   {1, 0x10, 0x0B, 0xBC, 0x00, 0x02}},
                  {[](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, TRUE); },
                   {1, 0x05, 0x0D, 0x44, 0xFF, 0x00}},
                  {[](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, FALSE); },
                   {1, 0x05, 0x0D, 0x44, 0x00, 0x00}}};
    for (const auto& w : writes) {
        ScriptedModbus modbus;
        modbus.Reply(w.echo);
        EXPECT_EQ(w.operation(modbus), MODBUS_OK);
        for (int changed = NO_BYTE; changed < static_cast<int>(w.echo.size()); ++changed) {
            SCOPED_TRACE(changed);
            Script(modbus, MODBUS_OK, changed, w.echo);
            EXPECT_EQ(w.operation(modbus), MODBUS_BAD_RESPONSE);
        }
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
        for (const ScriptedReply& r : c.script)
            r.code == MODBUS_OK ? modbus.Reply(r.bytes) : modbus.Fail(r.code);
        CWordArray values = Words(FOUR_REGISTERS);
        EXPECT_EQ(ReadRegisters(modbus, values), c.code);
        ASSERT_EQ(modbus.requests.size(), c.attempts);
        for (const RecordedRequest& r : modbus.requests)
            EXPECT_EQ(r.request, modbus.requests[0].request);
        EXPECT_EQ(values[3], c.code == MODBUS_OK ? 4 : 0);
    }
}

// A transport with a text of its own, as the TCP/IP client has.
class TextedModbus : public ScriptedModbus {
public:
    static constexpr const char* OWN_TEXT = "own transport text";
    CString ErrorMessage(WORD code) override {
        return code == MODBUS_TCP_SOCKET_ERROR ? CString(OWN_TEXT) : CModbus::ErrorMessage(code);
    }
};

TEST(ThrowFlag, ThrowsAfterTheLastAttemptWithCodeAndTheTransportsText) {
    constexpr WORD RETRIES = 2;
    const struct {
        WORD code;
        const char* text;
    } cases[] = {{MODBUS_EXCEPTION, "Modbus device returned an exception code 0"},
                 {0xFFFF, "Modbus device returned an exception code 32767"},
                 {MODBUS_TCP_SOCKET_ERROR, TextedModbus::OWN_TEXT},
                 {MODBUS_BAD_RESPONSE, "Received invalid device response from Modbus slave"},
                 {CODE_WITHOUT_TEXT, ""},
                 {MODBUS_TCP_BUFFER_OVERFLOW, ""},
                 {0x7FFF, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        TextedModbus modbus;
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
            EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
            e->Delete();
        }
        EXPECT_EQ(modbus.requests.size(), RETRIES);
    }
    ScriptedModbus modbus;
    modbus.m_bThrowException = TRUE;
    modbus.Reply(GOOD_REGISTERS);
    CWordArray values = Words(FOUR_REGISTERS);
    EXPECT_NO_THROW(EXPECT_EQ(ReadRegisters(modbus, values), MODBUS_OK));
    EXPECT_EQ(modbus.CModbus::ErrorMessage(MODBUS_OK), "Ok");
}

// The number follows the text unless it is 0, which the socket's messages show; the message
// is cut to the buffer.
TEST(ThrowFlag, ExceptionMessageIsCutToTheBuffer) {
    for (auto [chars, expected] :
         {std::pair<UINT, std::string>{200, "Ok error #1"}, {6, "Ok er"}, {1, ""}}) {
        auto* e = new CModbusException("Ok", MODBUS_TIMEOUT);
        std::string text(chars, '#');
        EXPECT_TRUE(e->GetErrorMessage(text.data(), chars));
        EXPECT_EQ(text.c_str(), expected);
        e->Delete();
    }
}
