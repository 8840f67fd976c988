#include "TestPeer.h"

#include <gtest/gtest.h>

namespace {

const Bytes READ_3000_4{0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};
const Bytes FRAME_3000_4{0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};
const Bytes REPLY_BODY{0x01, 0x04, 0x08, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04};
const Bytes FULL_REPLY{0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x04, 0x08,
                       0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04};
constexpr WORD READ_3000_4_RESPONSE = 11;
constexpr BYTE UNTOUCHED = 0xEE;
constexpr int SEGMENT_PAUSE_MS = 50;
constexpr long TIMEOUT_UPPER_BOUND_MS = 1500; // 300 ms time-out plus a margin
constexpr long TIMEOUT_LOWER_BOUND_MS = 250;

Bytes Part(std::size_t from, std::size_t to) {
    return Bytes(FULL_REPLY.begin() + from, FULL_REPLY.begin() + to);
}

// Cut-off points of the reply: before it, inside the header, inside the body.
const std::vector<Bytes> CUT_REPLIES{{}, Part(0, 4), Part(0, 9)};

CByteArray Filled(WORD size) {
    CByteArray a;
    a.SetSize(size);
    std::memset(a.GetData(), UNTOUCHED, size);
    return a;
}

bool Open(CRemoteModbus& client, ScriptedPeer& peer) {
    peer.Start();
    return client.Connect(LOOPBACK, peer.Port(), DIALOG_TIMEOUT_MS);
}

// A client connected to a device that answers each request with the next reply (empty: none)
// and then stalls, or closes. The client goes first on destruction, so its socket is closed
// before the peer stops.
struct Session {
    ScriptedPeer peer;
    CRemoteModbus client;

    explicit Session(const std::vector<Bytes>& replies, bool closeAfter = false) {
        for (const Bytes& reply : replies)
            peer.ReadFrame().Write(reply);
        if (closeAfter)
            peer.Close();
        EXPECT_TRUE(Open(client, peer));
    }
    WORD Read(CByteArray& response) {
        return Exchange(client, READ_3000_4, response, READ_3000_4_RESPONSE);
    }
};

TEST(RemoteModbusExchange, NotConnectedGives1004AndAnEmptyRequestIsACallerError) {
    CRemoteModbus client;
    CByteArray response;
    EXPECT_EQ(Exchange(client, READ_3000_4, response, READ_3000_4_RESPONSE),
              MODBUS_TCP_NOT_CONNECTED);
    EXPECT_EQ(client.m_socket.m_hSocket, 0);
    EXPECT_THROW(client.TxRx(CByteArray(), 0, response, 1), std::invalid_argument);
}

TEST(RemoteModbusExchange, SendsTheExactFrameWithTransactionZeroAndCopiesTheBody) {
    Session s({FULL_REPLY, FULL_REPLY});
    CWordArray values;
    values.SetSize(4);
    EXPECT_EQ(s.client.ReadInputRegisters(3000, 4, values), MODBUS_OK);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(values[i], i + 1);
    CByteArray response;
    EXPECT_EQ(s.Read(response), MODBUS_OK);
    EXPECT_EQ(ToBytes(response), REPLY_BODY);
    EXPECT_EQ(s.peer.Frames(), (std::vector<Bytes>{FRAME_3000_4, FRAME_3000_4}));
}

TEST(RemoteModbusExchange, ExceptionRepliesMapTheCodeCopyNothingAndKeepTheConnection) {
    struct Case {
        BYTE code;
        BOOL map;
        WORD expected;
    };
    const std::vector<Case> cases{{0x02, TRUE, 0x8002},
                                  {0x7F, TRUE, 0x807F},
                                  {0x81, TRUE, 1},
                                  {0x80, TRUE, 0},
                                  {0x81, FALSE, 0x8081}};
    std::vector<Bytes> replies;
    for (const Case& c : cases)
        replies.push_back({0, 0, 0, 0, 0, 3, 0x01, 0x84, c.code});
    Session s(replies);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        s.client.m_bMapExceptionCodes = c.map;
        CByteArray response = Filled(READ_3000_4_RESPONSE);
        EXPECT_EQ(s.Read(response), c.expected);
        EXPECT_EQ(ToBytes(response), Bytes(READ_3000_4_RESPONSE, UNTOUCHED));
    }
}

TEST(RemoteModbusExchange, OversizeRequestOrResponseGives1000AndSendsNothing) {
    constexpr WORD TOO_LONG_REQUEST = MODBUS_TCP_BUFFER_SIZE + 1;
    constexpr WORD TOO_LONG_RESPONSE = MODBUS_TCP_BUFFER_SIZE - 6 + 1;
    Session s({FULL_REPLY});
    CByteArray response;
    EXPECT_EQ(s.client.TxRx(ToArray(READ_3000_4), TOO_LONG_REQUEST, response, 6),
              MODBUS_TCP_BUFFER_OVERFLOW);
    EXPECT_EQ(Exchange(s.client, READ_3000_4, response, TOO_LONG_RESPONSE),
              MODBUS_TCP_BUFFER_OVERFLOW);
    EXPECT_EQ(s.Read(response), MODBUS_OK);
    EXPECT_EQ(s.peer.Frames().size(), 1u);
}

TEST(RemoteModbusExchange, ReplyInSeveralSegmentsIsAssembled) {
    ScriptedPeer peer;
    peer.ReadFrame().Write(Part(0, 3)).Write(Part(3, 8), SEGMENT_PAUSE_MS);
    peer.Write(Part(8, FULL_REPLY.size()), SEGMENT_PAUSE_MS);
    CRemoteModbus client;
    ASSERT_TRUE(Open(client, peer));
    CByteArray response;
    EXPECT_EQ(Exchange(client, READ_3000_4, response, READ_3000_4_RESPONSE), MODBUS_OK);
    EXPECT_EQ(ToBytes(response), REPLY_BODY);
}

TEST(RemoteModbusExchange, ShortNormalReplyIsRefused) {
    Session s({{0, 0, 0, 0, 0, 7, 0x01, 0x04, 0x04, 0x00, 0x01, 0x00, 0x02}});
    CByteArray response = Filled(READ_3000_4_RESPONSE);
    EXPECT_EQ(s.Read(response), MODBUS_BAD_RESPONSE);
    EXPECT_EQ(ToBytes(response), Bytes(READ_3000_4_RESPONSE, UNTOUCHED));
}

TEST(RemoteModbusExchange, StalledPeerEndsIn1001WithinTheTimeout) {
    for (const Bytes& sent : CUT_REPLIES) {
        SCOPED_TRACE(sent.size());
        Session s({sent});
        CByteArray response;
        const auto start = Clock::now();
        EXPECT_EQ(s.Read(response), MODBUS_TCP_SOCKET_ERROR);
        EXPECT_GE(MsSince(start), TIMEOUT_LOWER_BOUND_MS);
        EXPECT_LT(MsSince(start), TIMEOUT_UPPER_BOUND_MS);
    }
}

TEST(RemoteModbusExchange, PeerClosingBeforeTheReplyIsCompleteGives1003ThenFailuresNoSignal) {
    for (const Bytes& sent : CUT_REPLIES) {
        SCOPED_TRACE(sent.size());
        Session s({sent}, true);
        CByteArray response;
        EXPECT_EQ(s.Read(response), MODBUS_TCP_READ_ERROR);
        // The connection stays; writing to the closed peer fails, never raises a signal.
        EXPECT_NE(s.Read(response), MODBUS_OK);
        EXPECT_NE(s.Read(response), MODBUS_OK);
    }
}

TEST(RemoteModbusExchange, AfterASocketFailureEveryExchangeFailsUntilConnect) {
    Session stalled({Bytes{}});
    CByteArray response;
    ASSERT_EQ(stalled.Read(response), MODBUS_TCP_SOCKET_ERROR);
    EXPECT_TRUE(stalled.client.IsConnected());
    const auto start = Clock::now();
    EXPECT_EQ(stalled.Read(response), MODBUS_TCP_SOCKET_ERROR);
    EXPECT_EQ(stalled.Read(response), MODBUS_TCP_SOCKET_ERROR);
    EXPECT_LT(MsSince(start), static_cast<long>(DIALOG_TIMEOUT_MS)); // no network involved

    ScriptedPeer healthy;
    healthy.ReadFrame().Write(FULL_REPLY);
    ASSERT_TRUE(Open(stalled.client, healthy));
    EXPECT_EQ(stalled.Read(response), MODBUS_OK);
    stalled.client.Disconnect(); // before the healthy peer goes
}

TEST(RemoteModbusErrorMessage, TransportCodesHaveTheirOwnTextsOthersTheBaseTexts) {
    const std::vector<std::pair<WORD, CString>> cases{
        {1000, "Modbus TCP/IP: buffer overflow"},
        {1001, "Modbus TCP/IP: socket error"},
        {1002, "Modbus TCP/IP: write socket error"},
        {1003, "Modbus TCP/IP: read socket Error"},
        {1004, "Modbus TCP/IP: socket not connected"},
        {1005, ""},
        {0x8002, "Modbus device returned an exception code 2"},
    };
    CRemoteModbus client;
    for (const auto& [code, text] : cases)
        EXPECT_EQ(client.ErrorMessage(code), text) << code;
}

} // namespace
