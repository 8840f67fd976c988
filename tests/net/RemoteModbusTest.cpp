// The Modbus TCP/IP client: its frames and reply checks, and exchanges with a device the test
// plays on the accepted end of a loopback connection.
#include "NetTest.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

constexpr WORD READ_RESPONSE = 11;
constexpr BYTE UNTOUCHED = 0xEE;
constexpr int QUIET_MS = 100; // a peer that sent nothing by then sends nothing
const Bytes READ_REQUEST{0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};
const Bytes READ_FRAME{0, 0, 0, 0, 0, 6, 0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};
const Bytes REPLY_BODY{0x01, 0x04, 0x08, 0, 1, 0, 2, 0, 3, 0, 4};
const Bytes FULL_REPLY{0, 0, 0, 0, 0, 11, 0x01, 0x04, 0x08, 0, 1, 0, 2, 0, 3, 0, 4};

Bytes Part(std::size_t from, std::size_t to) {
    return Bytes(FULL_REPLY.begin() + from, FULL_REPLY.begin() + to);
}

CByteArray ToArray(const Bytes& bytes) {
    CByteArray array;
    array.SetSize(static_cast<INT_PTR>(bytes.size()));
    std::memcpy(array.GetData(), bytes.data(), bytes.size());
    return array;
}

Bytes ToBytes(const CByteArray& array) {
    return Bytes(array.GetData(), array.GetData() + array.GetSize());
}

WORD Exchange(CRemoteModbus& client, CByteArray& response, WORD responseLength = READ_RESPONSE) {
    return client.TxRx(ToArray(READ_REQUEST), 6, response, responseLength);
}

// A connected client; the test is the device on the accepted end.
struct Session {
    Listener listener;
    RawSocket device = NO_RAW_SOCKET;
    CRemoteModbus client;

    Session() {
        EXPECT_TRUE(client.Connect(LOOPBACK, listener.port, TIMEOUT_MS));
        device = listener.Accept();
        SetReceiveTimeout(device, QUIET_MS);
    }
    ~Session() { CloseDevice(); }
    void Reconnect() {
        CloseDevice();
        EXPECT_TRUE(client.Connect("", 0, 0));
        device = listener.Accept();
    }
    void Send(const Bytes& bytes) const { SendRaw(device, bytes.data(), bytes.size()); }
    void CloseDevice() {
        if (device != NO_RAW_SOCKET)
            CloseRaw(device);
        device = NO_RAW_SOCKET;
    }
    Bytes Received() const {
        Bytes all, chunk(MODBUS_TCP_BUFFER_SIZE);
        for (int n; (n = ReceiveSome(device, chunk.data(), chunk.size())) > 0;)
            all.insert(all.end(), chunk.begin(), chunk.begin() + n);
        return all;
    }
};

TEST(TcpFrame, HeaderHasZeroIdentifiersAndTheBigEndianLengthOfTheRequestSent) {
    constexpr WORD LONG = 0x0102;
    const struct {
        Bytes request;
        WORD length;
        Bytes expected;
    } cases[] = {{READ_REQUEST, 6, READ_FRAME},
                 {{0x01, 0x05}, 4, {0, 0, 0, 0, 0, 4, 0x01, 0x05, 0x00, 0x00}}, // zeros added
                 {{0x01, 0x05, 0x0D, 0x44}, 2, {0, 0, 0, 0, 0, 2, 0x01, 0x05}}, // extra not sent
                 {Bytes(LONG, 1), LONG, {0, 0, 0, 0, 1, 2, 1}}};
    for (const auto& c : cases) {
        Bytes frame(MBAP_HEADER_SIZE + c.length, UNTOUCHED);
        WriteTcpFrame(c.request.data(), c.request.size(), c.length, frame.data());
        EXPECT_EQ(Bytes(frame.begin(), frame.begin() + c.expected.size()), c.expected);
    }
    EXPECT_EQ(TcpReplyBodyLength(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x0B}.data()), 11);
}

TEST(RemoteModbusExchange, RefusedBeforeSending) {
    CRemoteModbus unconnected;
    CByteArray response;
    EXPECT_EQ(Exchange(unconnected, response), MODBUS_TCP_NOT_CONNECTED);
    EXPECT_EQ(unconnected.m_socket.m_hSocket, 0);
    Session s;
    EXPECT_THROW(s.client.TxRx(CByteArray(), 0, response, 1), std::invalid_argument);
    EXPECT_EQ(s.client.TxRx(ToArray(READ_REQUEST), MODBUS_TCP_BUFFER_SIZE + 1, response, 6),
              MODBUS_TCP_BUFFER_OVERFLOW);
    EXPECT_EQ(Exchange(s.client, response, MODBUS_TCP_BUFFER_SIZE - MBAP_HEADER_SIZE + 1),
              MODBUS_TCP_BUFFER_OVERFLOW);
    EXPECT_EQ(s.Received(), Bytes{});
}

// Only a normal reply is copied; an exception reply keeps the connection. Replies of every
// other kind are inputs of the reply fuzz harness, with the default mapping.
TEST(RemoteModbusExchange, SendsTheFrameAndMapsExceptionsByItsSettings) {
    const struct {
        Bytes sent;
        BOOL map;
        BYTE base;
        WORD code;
    } cases[] = {
        {FULL_REPLY, TRUE, 128, MODBUS_OK},
        {{0, 0, 0, 0, 0, 3, 0x01, 0x84, 0x80}, TRUE, 128, 0},
        {{0, 0, 0, 0, 0, 3, 0x01, 0x84, 0x81}, FALSE, 128, MODBUS_EXCEPTION + 0x81},
        {{0, 0, 0, 0, 0, 3, 0x01, 0x84, 0x12}, TRUE, 0x10, 2},
        {{0, 0, 0, 0, 0, 3, 0x01, 0x84, 0x0F}, TRUE, 0x10, MODBUS_EXCEPTION + 0x0F},
    };
    Session s;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        s.client.m_bMapExceptionCodes = c.map;
        s.client.m_byExceptionCodeBase = c.base;
        s.Send(c.sent);
        CByteArray response;
        response.SetSize(READ_RESPONSE);
        std::memset(response.GetData(), UNTOUCHED, READ_RESPONSE);
        EXPECT_EQ(Exchange(s.client, response), c.code);
        EXPECT_EQ(ToBytes(response),
                  c.sent == FULL_REPLY ? REPLY_BODY : Bytes(READ_RESPONSE, UNTOUCHED));
        EXPECT_EQ(s.Received(), READ_FRAME);
    }
}

TEST(RemoteModbusExchange, ReplyInSeveralSegmentsIsAssembled) {
    Session s;
    s.Send(Part(0, 3));
    std::thread rest([&] {
        for (auto [from, to] :
             {std::pair<std::size_t, std::size_t>{3, 8}, {8, FULL_REPLY.size()}}) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            s.Send(Part(from, to));
        }
    });
    CByteArray response;
    EXPECT_EQ(Exchange(s.client, response), MODBUS_OK);
    rest.join();
    EXPECT_EQ(ToBytes(response), REPLY_BODY);
}

// A reply that stops anywhere fails at the time limit; the client then drops its socket, so
// that no late reply is taken for the next request's, until it connects again.
TEST(RemoteModbusExchange, StalledDeviceFailsThisAndEveryExchangeUntilConnect) {
    for (std::size_t cut : {0, 4, 9}) {
        SCOPED_TRACE(cut);
        Session s;
        s.Send(Part(0, cut));
        CByteArray response;
        auto start = Clock::now();
        EXPECT_EQ(Exchange(s.client, response), MODBUS_TCP_SOCKET_ERROR);
        EXPECT_GE(MsSince(start), 250);
        EXPECT_LT(MsSince(start), 1500);
        EXPECT_TRUE(s.client.IsConnected());
        s.Send(FULL_REPLY);
        start = Clock::now();
        EXPECT_EQ(Exchange(s.client, response), MODBUS_TCP_SOCKET_ERROR);
        EXPECT_LT(MsSince(start), static_cast<long>(TIMEOUT_MS)); // no network involved
        s.Reconnect();
        s.Send(FULL_REPLY);
        EXPECT_EQ(Exchange(s.client, response), MODBUS_OK);
    }
}

// Writing to the closed device fails, never raises a signal.
TEST(RemoteModbusExchange, DeviceClosingBeforeTheReplyIsCompleteGives1003) {
    for (std::size_t cut : {0, 4, 9}) {
        SCOPED_TRACE(cut);
        Session s;
        s.Send(Part(0, cut));
        s.CloseDevice();
        CByteArray response;
        EXPECT_EQ(Exchange(s.client, response), MODBUS_TCP_READ_ERROR);
        EXPECT_NE(Exchange(s.client, response), MODBUS_OK);
        EXPECT_NE(Exchange(s.client, response), MODBUS_OK);
    }
}

TEST(RemoteModbusConnect, KeepsItsSettingsWhichEmptyArgumentsReuse) {
    Listener device;
    CRemoteModbus client;
    EXPECT_TRUE(client.Disconnect()); // never connected
    EXPECT_FALSE(client.IsConnected());
    ASSERT_TRUE(client.Connect("localhost", device.port, TIMEOUT_MS));
    EXPECT_EQ(NetOrder32(client.m_addrRemote.sin_addr.s_addr), LOOPBACK_ADDRESS);
    EXPECT_EQ(NetOrder32(client.m_addrLocal.sin_addr.s_addr), LOOPBACK_ADDRESS);
    EXPECT_NE(client.m_addrLocal.sin_port, 0);
    EXPECT_TRUE(client.Disconnect()); // a host name resets to no address
    EXPECT_FALSE(client.IsConnected());
    CByteArray response;
    EXPECT_EQ(Exchange(client, response), MODBUS_TCP_NOT_CONNECTED);

    ASSERT_TRUE(client.Connect(LOOPBACK, device.port, TIMEOUT_MS));
    EXPECT_EQ(client.m_strHost, LOOPBACK);
    EXPECT_EQ(client.m_wPort, device.port);
    EXPECT_TRUE(client.Disconnect());
    EXPECT_EQ(client.m_socket.m_hSocket, 0);
    EXPECT_TRUE(client.IsConnected()); // dotted text resets to a real address
    EXPECT_EQ(Exchange(client, response), MODBUS_TCP_SOCKET_ERROR);
    ASSERT_TRUE(client.Connect("", 0, 0));
    EXPECT_EQ(client.m_addrRemote.sin_port, NetOrder16(device.port));
    EXPECT_EQ(client.m_dwTimeout, TIMEOUT_MS);
    EXPECT_NE(client.m_socket.m_hSocket, 0);
}

TEST(RemoteModbusConnect, FailuresLeaveNoSocketAndEndFast) {
    CRemoteModbus fresh, unknown, refused;
    const auto start = Clock::now();
    EXPECT_FALSE(fresh.Connect("", 0, 0)); // nothing stored yet
    EXPECT_EQ(fresh.m_wPort, MODBUS_TCP_PORT);
    EXPECT_EQ(fresh.m_dwTimeout, MODBUS_TCP_DEFAULT_TIMEOUT_MS);
    EXPECT_FALSE(unknown.Connect("orx-device.invalid", MODBUS_TCP_PORT, TIMEOUT_MS));
    EXPECT_FALSE(refused.Connect(LOOPBACK, RefusingPort(), TIMEOUT_MS));
    EXPECT_EQ(refused.m_strHost, LOOPBACK); // settings stay in any case
    EXPECT_LT(MsSince(start), 1000);
    for (CRemoteModbus* client : {&fresh, &unknown, &refused}) {
        EXPECT_FALSE(client->IsConnected());
        EXPECT_EQ(client->m_socket.m_hSocket, 0);
    }
}

// The base record (retries, throw flag, reserved word), then the transport's settings.
TEST(RemoteModbusSerialize, StoresTheSettingsInOrderAndLoadingReconnects) {
    Listener device;
    CRemoteModbus source;
    ASSERT_TRUE(source.Connect(LOOPBACK, device.port, TIMEOUT_MS));
    source.m_wRetries = 0x0203;
    source.m_bThrowException = TRUE;
    source.m_dwReserved = 0x0A0B0C0D;
    source.m_bAutoReconnect = TRUE;
    source.m_bMapExceptionCodes = FALSE;
    source.m_byExceptionCodeBase = 0x40;
    Bytes record;
    CArchive store(record, CArchive::store);
    source.Serialize(store);
    const BYTE portLo = LOBYTE(device.port), portHi = HIBYTE(device.port);
    const Bytes expected{3,      2,      1,    0,    0,   0,   0x0D, 0x0C, 0x0B, 0x0A, 1,   0,
                         0,      0,      9,    '1',  '2', '7', '.',  '0',  '.',  '0',  '.', '1',
                         portLo, portHi, 0x2C, 0x01, 0,   0,   0,    0,    0,    0,    0x40};
    EXPECT_EQ(record, expected);

    CRemoteModbus copy;
    CArchive load(record, CArchive::load);
    copy.Serialize(load);
    EXPECT_NE(copy.m_socket.m_hSocket, 0);
    Bytes again;
    CArchive storeAgain(again, CArchive::store);
    copy.Serialize(storeAgain);
    EXPECT_EQ(again, record);
}

} // namespace
