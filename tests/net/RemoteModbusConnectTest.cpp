#include "TransportTestSupport.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr long FAST_FAILURE_MS = 1000;
constexpr WORD READ_RESPONSE = 11;
const Bytes READ_REQUEST{0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};

TEST(RemoteModbusConnect, NewClientHasTheDefaults) {
    CRemoteModbus client;
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(client.m_strHost.IsEmpty());
    EXPECT_EQ(client.m_wPort, 502);
    EXPECT_EQ(client.m_dwTimeout, 10000u);
    EXPECT_EQ(client.m_addrRemote.sin_addr.s_addr, INADDR_NONE);
    EXPECT_EQ(client.m_addrRemote.sin_port, htons(502));
    EXPECT_TRUE(client.IsKindOf(RUNTIME_CLASS(CModbus)));
    EXPECT_STREQ(client.GetRuntimeClass()->m_lpszClassName, "CRemoteModbus");
}

TEST(RemoteModbusConnect, ConnectsAndStoresTheSettings) {
    Listener device;
    CRemoteModbus client;
    ASSERT_TRUE(client.Connect(LOOPBACK, device.Port(), DIALOG_TIMEOUT_MS));
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.m_strHost, LOOPBACK);
    EXPECT_EQ(client.m_wPort, device.Port());
    EXPECT_EQ(client.m_dwTimeout, DIALOG_TIMEOUT_MS);
    EXPECT_EQ(client.m_addrRemote.sin_port, htons(device.Port()));
    EXPECT_EQ(ntohl(client.m_addrLocal.sin_addr.s_addr), INADDR_LOOPBACK);
    EXPECT_NE(client.m_addrLocal.sin_port, 0);
}

TEST(RemoteModbusConnect, EmptyArgumentsMeanTheStoredSettings) {
    Listener device;
    CRemoteModbus client;
    ASSERT_TRUE(client.Connect(LOOPBACK, device.Port(), DIALOG_TIMEOUT_MS));
    ASSERT_TRUE(client.Connect("", 0, 0));
    EXPECT_EQ(client.m_addrRemote.sin_port, htons(device.Port()));
    EXPECT_EQ(client.m_dwTimeout, DIALOG_TIMEOUT_MS);
}

TEST(RemoteModbusConnect, NothingStoredFailsFastAndKeepsTheDefaults) {
    CRemoteModbus client;
    auto start = Clock::now();
    EXPECT_FALSE(client.Connect("", 0, 0));
    EXPECT_LT(MsSince(start), FAST_FAILURE_MS);
    EXPECT_EQ(client.m_wPort, 502);
    EXPECT_EQ(client.m_dwTimeout, 10000u);
    EXPECT_EQ(client.m_socket.m_hSocket, 0);
}

TEST(RemoteModbusConnect, RefusedConnectLeavesNoSocket) {
    CRemoteModbus client;
    EXPECT_FALSE(client.Connect(LOOPBACK, ClosedPort(), DIALOG_TIMEOUT_MS));
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.m_socket.m_hSocket, 0);
    EXPECT_EQ(client.m_strHost, LOOPBACK); // settings stay in any case
}

TEST(RemoteModbusConnect, HostNamesAreResolved) {
    Listener device;
    CRemoteModbus client;
    ASSERT_TRUE(client.Connect("localhost", device.Port(), DIALOG_TIMEOUT_MS));
    EXPECT_EQ(ntohl(client.m_addrRemote.sin_addr.s_addr), INADDR_LOOPBACK);
}

TEST(RemoteModbusConnect, UnresolvableHostFailsFast) {
    CRemoteModbus client;
    auto start = Clock::now();
    EXPECT_FALSE(client.Connect("orx-device.invalid", 502, DIALOG_TIMEOUT_MS));
    EXPECT_LT(MsSince(start), FAST_FAILURE_MS);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.m_socket.m_hSocket, 0);
}

TEST(RemoteModbusDisconnect, NeverConnectedIsTrueAndChangesNothing) {
    CRemoteModbus client;
    EXPECT_TRUE(client.Disconnect());
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.m_addrRemote.sin_addr.s_addr, INADDR_NONE);
}

TEST(RemoteModbusDisconnect, FromAHostNameLeavesTheClientNotConnected) {
    Listener device;
    CRemoteModbus client;
    ASSERT_TRUE(client.Connect("localhost", device.Port(), DIALOG_TIMEOUT_MS));
    EXPECT_TRUE(client.Disconnect());
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.m_socket.m_hSocket, 0);
    CByteArray response;
    EXPECT_EQ(Exchange(client, READ_REQUEST, response, READ_RESPONSE), MODBUS_TCP_NOT_CONNECTED);
}

TEST(RemoteModbusDisconnect, FromDottedTextLeavesTheBrokenState) {
    Listener device;
    CRemoteModbus client;
    ASSERT_TRUE(client.Connect(LOOPBACK, device.Port(), DIALOG_TIMEOUT_MS));
    EXPECT_TRUE(client.Disconnect());
    EXPECT_EQ(client.m_socket.m_hSocket, 0);
    EXPECT_TRUE(client.IsConnected()); // the reset address of dotted text is a real one
    CByteArray response;
    EXPECT_EQ(Exchange(client, READ_REQUEST, response, READ_RESPONSE), MODBUS_TCP_SOCKET_ERROR);
    ASSERT_TRUE(client.Connect("", 0, 0));
    EXPECT_NE(client.m_socket.m_hSocket, 0);
}

// Offsets of the transport's fields, behind the base record (retries 2, throw 4, reserved 4).
constexpr std::size_t BASE_RECORD = 10;

TEST(RemoteModbusSerialize, StoresTheSettingsInOrder) {
    CRemoteModbus client;
    client.Connect(LOOPBACK, ClosedPort(), DIALOG_TIMEOUT_MS);
    client.m_bAutoReconnect = TRUE;
    client.m_bMapExceptionCodes = FALSE;
    client.m_byExceptionCodeBase = 0x40;
    std::vector<BYTE> record;
    {
        CArchive ar(record, CArchive::store);
        client.Serialize(ar);
    }
    const WORD port = client.m_wPort;
    const Bytes autoReconnect{1, 0, 0, 0};
    const Bytes host{9, '1', '2', '7', '.', '0', '.', '0', '.', '1'}; // length prefix, text
    const Bytes portBytes{LOBYTE(port), HIBYTE(port)};
    const Bytes timeout{0x2C, 0x01, 0x00, 0x00}; // 300
    const Bytes mapExceptionCodes{0, 0, 0, 0};
    const Bytes exceptionCodeBase{0x40};
    Bytes expected;
    for (const Bytes* field :
         {&autoReconnect, &host, &portBytes, &timeout, &mapExceptionCodes, &exceptionCodeBase})
        expected.insert(expected.end(), field->begin(), field->end());
    EXPECT_EQ(Bytes(record.begin() + BASE_RECORD, record.end()), expected);
}

TEST(RemoteModbusSerialize, LoadingRestoresTheSettingsAndReconnects) {
    Listener device;
    CRemoteModbus source;
    ASSERT_TRUE(source.Connect(LOOPBACK, device.Port(), DIALOG_TIMEOUT_MS));
    source.m_byExceptionCodeBase = 0x40;
    std::vector<BYTE> record;
    {
        CArchive ar(record, CArchive::store);
        source.Serialize(ar);
    }
    CRemoteModbus copy;
    CArchive ar(record, CArchive::load);
    copy.Serialize(ar);
    EXPECT_EQ(copy.m_strHost, LOOPBACK);
    EXPECT_EQ(copy.m_wPort, device.Port());
    EXPECT_EQ(copy.m_dwTimeout, DIALOG_TIMEOUT_MS);
    EXPECT_EQ(copy.m_byExceptionCodeBase, 0x40);
    EXPECT_TRUE(copy.IsConnected());
    EXPECT_NE(copy.m_socket.m_hSocket, 0);
}

} // namespace
