#include "TransportTestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

const Bytes READ_3000_4{0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};
const Bytes FRAME_3000_4{0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};
const Bytes REPLY_HEADER{0x00, 0x00, 0x00, 0x00, 0x00, 0x0B};
const Bytes REPLY_BODY{0x01, 0x04, 0x08, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04};
constexpr WORD READ_3000_4_RESPONSE = 11;
constexpr BYTE UNTOUCHED = 0xEE;
constexpr int SEGMENT_PAUSE_MS = 50;
constexpr long TIMEOUT_UPPER_BOUND_MS = 1500; // 300 ms time-out plus a margin
constexpr long TIMEOUT_LOWER_BOUND_MS = 250;

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes FULL_REPLY = Concat(REPLY_HEADER, REPLY_BODY);

CByteArray Filled(WORD size) {
    CByteArray a;
    a.SetSize(size);
    std::memset(a.GetData(), UNTOUCHED, size);
    return a;
}

// A connected client and the scripted device it talks to. The client goes first on
// destruction, so its socket is closed before the peer stops.
struct Session {
    ScriptedPeer peer;
    CRemoteModbus client;

    void Open() {
        peer.Start();
        ASSERT_TRUE(client.Connect(LOOPBACK, peer.Port(), DIALOG_TIMEOUT_MS));
    }
};

TEST(RemoteModbusExchange, NewClientAnswers1004WithoutNetwork) {
    CRemoteModbus client;
    EXPECT_FALSE(client.IsConnected());
    CByteArray response;
    EXPECT_EQ(Exchange(client, READ_3000_4, response, READ_3000_4_RESPONSE),
              MODBUS_TCP_NOT_CONNECTED);
    EXPECT_EQ(ToBytes(response), Bytes(READ_3000_4_RESPONSE, 0));
    EXPECT_EQ(client.m_socket.m_hSocket, 0);
}

TEST(RemoteModbusExchange, EmptyRequestIsACallerError) {
    CRemoteModbus client;
    CByteArray response;
    EXPECT_THROW(client.TxRx(CByteArray(), 0, response, 1), std::invalid_argument);
}

TEST(RemoteModbusExchange, ReadSendsTheExactFrameWithTransactionZeroEveryTime) {
    Session s;
    s.peer.ReadFrame().Write(FULL_REPLY).ReadFrame().Write(FULL_REPLY);
    s.Open();
    CWordArray values;
    values.SetSize(4);
    EXPECT_EQ(s.client.ReadInputRegisters(3000, 4, values), MODBUS_OK);
    EXPECT_EQ(s.client.ReadInputRegisters(3000, 4, values), MODBUS_OK);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(values[i], i + 1);
    EXPECT_EQ(s.peer.Frames(), (std::vector<Bytes>{FRAME_3000_4, FRAME_3000_4}));
    EXPECT_EQ(s.peer.Error(), "");
}

TEST(RemoteModbusExchange, ReplyIsCopiedFromTheUnitIdentifierOn) {
    Session s;
    s.peer.ReadFrame().Write(FULL_REPLY);
    s.Open();
    CByteArray response;
    EXPECT_EQ(Exchange(s.client, READ_3000_4, response, READ_3000_4_RESPONSE), MODBUS_OK);
    EXPECT_EQ(ToBytes(response), REPLY_BODY);
}

struct ExceptionCase {
    BYTE exceptionCode;
    BOOL map;
    WORD expected;
};

class RemoteModbusException : public ::testing::TestWithParam<ExceptionCase> {};

TEST_P(RemoteModbusException, MapsTheCodeAndCopiesNothing) {
    const ExceptionCase c = GetParam();
    Session s;
    s.peer.ReadFrame().Write({0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01, 0x84, c.exceptionCode});
    s.Open();
    s.client.m_bMapExceptionCodes = c.map;
    CByteArray response = Filled(READ_3000_4_RESPONSE);
    EXPECT_EQ(Exchange(s.client, READ_3000_4, response, READ_3000_4_RESPONSE), c.expected);
    EXPECT_EQ(ToBytes(response), Bytes(READ_3000_4_RESPONSE, UNTOUCHED));
    EXPECT_NE(s.client.m_socket.m_hSocket, 0); // the connection stays
}

INSTANTIATE_TEST_SUITE_P(Codes, RemoteModbusException,
                         ::testing::Values(ExceptionCase{0x02, TRUE, 0x8002},
                                           ExceptionCase{0x7F, TRUE, 0x807F},
                                           ExceptionCase{0x81, TRUE, 1},
                                           ExceptionCase{0x80, TRUE, 0},
                                           ExceptionCase{0x81, FALSE, 0x8081}));

TEST(RemoteModbusExchange, Function0x80IsANormalReply) {
    const Bytes body{0x01, 0x80, 0x0D, 0x44, 0xFF, 0x00};
    Session s;
    s.peer.ReadFrame().Write(Concat({0, 0, 0, 0, 0, 6}, body));
    s.Open();
    CByteArray response = Filled(6);
    EXPECT_EQ(Exchange(s.client, {0x01, 0x05, 0x0D, 0x44, 0xFF, 0x00}, response, 6), MODBUS_OK);
    EXPECT_EQ(ToBytes(response), body);
}

TEST(RemoteModbusExchange, OversizeRequestOrResponseGives1000AndKeepsTheConnection) {
    constexpr WORD TOO_LONG_REQUEST = MODBUS_TCP_BUFFER_SIZE + 1;
    constexpr WORD TOO_LONG_RESPONSE = MODBUS_TCP_BUFFER_SIZE - 6 + 1;
    Session s;
    s.peer.ReadFrame().Write(FULL_REPLY);
    s.Open();
    CByteArray response;
    EXPECT_EQ(s.client.TxRx(ToArray(READ_3000_4), TOO_LONG_REQUEST, response, 6),
              MODBUS_TCP_BUFFER_OVERFLOW);
    EXPECT_EQ(Exchange(s.client, READ_3000_4, response, TOO_LONG_RESPONSE),
              MODBUS_TCP_BUFFER_OVERFLOW);
    EXPECT_EQ(Exchange(s.client, READ_3000_4, response, READ_3000_4_RESPONSE), MODBUS_OK);
    EXPECT_EQ(s.peer.Frames().size(), 1u); // nothing went out for the refused ones
}

TEST(RemoteModbusExchange, ReplyInSeveralSegmentsIsAssembled) {
    Session s;
    s.peer.ReadFrame()
        .Write(Bytes(FULL_REPLY.begin(), FULL_REPLY.begin() + 3))
        .Pause(SEGMENT_PAUSE_MS)
        .Write(Bytes(FULL_REPLY.begin() + 3, FULL_REPLY.begin() + 8))
        .Pause(SEGMENT_PAUSE_MS)
        .Write(Bytes(FULL_REPLY.begin() + 8, FULL_REPLY.end()));
    s.Open();
    CByteArray response;
    EXPECT_EQ(Exchange(s.client, READ_3000_4, response, READ_3000_4_RESPONSE), MODBUS_OK);
    EXPECT_EQ(ToBytes(response), REPLY_BODY);
}

TEST(RemoteModbusExchange, ShortNormalReplyIsRefused) {
    Session s;
    s.peer.ReadFrame().Write({0, 0, 0, 0, 0, 7, 0x01, 0x04, 0x04, 0x00, 0x01, 0x00, 0x02});
    s.Open();
    CByteArray response = Filled(READ_3000_4_RESPONSE);
    EXPECT_EQ(Exchange(s.client, READ_3000_4, response, READ_3000_4_RESPONSE), MODBUS_BAD_RESPONSE);
    EXPECT_EQ(ToBytes(response), Bytes(READ_3000_4_RESPONSE, UNTOUCHED));
}

// The peer's script after it has read the request; each one stops mid-reply for good.
class RemoteModbusStall : public ::testing::TestWithParam<Bytes> {};

TEST_P(RemoteModbusStall, EndsIn1001WithinTheTimeout) {
    Session s;
    s.peer.ReadFrame().Write(GetParam());
    s.Open();
    CByteArray response;
    auto start = Clock::now();
    EXPECT_EQ(Exchange(s.client, READ_3000_4, response, READ_3000_4_RESPONSE),
              MODBUS_TCP_SOCKET_ERROR);
    EXPECT_GE(MsSince(start), TIMEOUT_LOWER_BOUND_MS);
    EXPECT_LT(MsSince(start), TIMEOUT_UPPER_BOUND_MS);
}

INSTANTIATE_TEST_SUITE_P(Stalls, RemoteModbusStall,
                         ::testing::Values(Bytes{},
                                           Bytes(FULL_REPLY.begin(), FULL_REPLY.begin() + 4),
                                           Bytes(FULL_REPLY.begin(), FULL_REPLY.begin() + 9)));

// The segments that arrive before the peer closes.
class RemoteModbusPeerClose : public ::testing::TestWithParam<Bytes> {};

TEST_P(RemoteModbusPeerClose, Gives1003) {
    Session s;
    s.peer.ReadFrame().Write(GetParam()).Close();
    s.Open();
    CByteArray response;
    EXPECT_EQ(Exchange(s.client, READ_3000_4, response, READ_3000_4_RESPONSE),
              MODBUS_TCP_READ_ERROR);
}

INSTANTIATE_TEST_SUITE_P(Closes, RemoteModbusPeerClose,
                         ::testing::Values(Bytes{},
                                           Bytes(FULL_REPLY.begin(), FULL_REPLY.begin() + 4),
                                           Bytes(FULL_REPLY.begin(), FULL_REPLY.begin() + 9)));

TEST(RemoteModbusExchange, AfterASocketFailureEveryExchangeFailsUntilConnect) {
    Session stalled;
    stalled.peer.ReadFrame();
    stalled.Open();
    CRemoteModbus& client = stalled.client;
    CByteArray response;
    ASSERT_EQ(Exchange(client, READ_3000_4, response, READ_3000_4_RESPONSE),
              MODBUS_TCP_SOCKET_ERROR);
    EXPECT_TRUE(client.IsConnected());
    auto start = Clock::now();
    EXPECT_EQ(Exchange(client, READ_3000_4, response, READ_3000_4_RESPONSE),
              MODBUS_TCP_SOCKET_ERROR);
    EXPECT_EQ(Exchange(client, READ_3000_4, response, READ_3000_4_RESPONSE),
              MODBUS_TCP_SOCKET_ERROR);
    EXPECT_LT(MsSince(start), static_cast<long>(DIALOG_TIMEOUT_MS)); // no network involved

    ScriptedPeer healthy;
    healthy.ReadFrame().Write(FULL_REPLY);
    healthy.Start();
    ASSERT_TRUE(client.Connect(LOOPBACK, healthy.Port(), DIALOG_TIMEOUT_MS));
    EXPECT_EQ(Exchange(client, READ_3000_4, response, READ_3000_4_RESPONSE), MODBUS_OK);
    client.Disconnect(); // before the healthy peer goes
}

TEST(RemoteModbusExchange, WritingToAClosedPeerFailsWithoutEndingTheProcess) {
    constexpr int MAX_EXCHANGES = 20;
    constexpr int PAUSE_MS = 20;
    Session s;
    s.peer.ReadFrame().Close();
    s.Open();
    CByteArray response;
    EXPECT_EQ(Exchange(s.client, READ_3000_4, response, READ_3000_4_RESPONSE),
              MODBUS_TCP_READ_ERROR);
    // The connection stays after 1003; later writes meet the peer's reset and end as a
    // socket failure, never as a signal.
    WORD code = MODBUS_OK;
    for (int i = 0; i < MAX_EXCHANGES && code != MODBUS_TCP_SOCKET_ERROR; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(PAUSE_MS));
        code = Exchange(s.client, READ_3000_4, response, READ_3000_4_RESPONSE);
        EXPECT_NE(code, MODBUS_OK);
    }
    EXPECT_EQ(code, MODBUS_TCP_SOCKET_ERROR);
}

TEST(RemoteModbusErrorMessage, TransportCodesHaveTheirOwnTexts) {
    CRemoteModbus client;
    EXPECT_EQ(client.ErrorMessage(1000), "Modbus TCP/IP: buffer overflow");
    EXPECT_EQ(client.ErrorMessage(1001), "Modbus TCP/IP: socket error");
    EXPECT_EQ(client.ErrorMessage(1002), "Modbus TCP/IP: write socket error");
    EXPECT_EQ(client.ErrorMessage(1003), "Modbus TCP/IP: read socket Error");
    EXPECT_EQ(client.ErrorMessage(1004), "Modbus TCP/IP: socket not connected");
}

TEST(RemoteModbusErrorMessage, OtherCodesFallBackToTheBaseTexts) {
    CRemoteModbus client;
    EXPECT_EQ(client.ErrorMessage(MODBUS_BAD_RESPONSE),
              "Received invalid device response from Modbus slave");
    EXPECT_EQ(client.ErrorMessage(0x8002), "Modbus device returned an exception code 2");
    EXPECT_EQ(client.ErrorMessage(999), "");
    EXPECT_EQ(client.ErrorMessage(1005), "");
}

} // namespace
