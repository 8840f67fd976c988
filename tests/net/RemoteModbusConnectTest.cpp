#include "TestPeer.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

namespace {

constexpr long FAST_FAILURE_MS = 1000;
constexpr WORD DEFAULT_PORT = 502;
constexpr DWORD DEFAULT_TIMEOUT_MS = 10000;
constexpr WORD READ_RESPONSE = 11;
const Bytes READ_REQUEST{0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};

TEST(RemoteModbusConnect, StoresTheSettingsAndEmptyArgumentsReuseThem) {
    Listener device;
    CRemoteModbus client;
    EXPECT_FALSE(client.IsConnected());
    ASSERT_TRUE(client.Connect(LOOPBACK, device.Port(), DIALOG_TIMEOUT_MS));
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.m_strHost, LOOPBACK);
    EXPECT_EQ(client.m_wPort, device.Port());
    EXPECT_EQ(client.m_dwTimeout, DIALOG_TIMEOUT_MS);
    EXPECT_EQ(NetOrder32(client.m_addrLocal.sin_addr.s_addr), LOOPBACK_ADDRESS);
    EXPECT_NE(client.m_addrLocal.sin_port, 0);

    ASSERT_TRUE(client.Connect("", 0, 0));
    EXPECT_EQ(client.m_addrRemote.sin_port, NetOrder16(device.Port()));
    EXPECT_EQ(client.m_dwTimeout, DIALOG_TIMEOUT_MS);
}

TEST(RemoteModbusConnect, FailuresLeaveNoSocketAndEndFast) {
    CRemoteModbus fresh; // nothing stored yet
    auto start = Clock::now();
    EXPECT_FALSE(fresh.Connect("", 0, 0));
    EXPECT_EQ(fresh.m_wPort, DEFAULT_PORT);
    EXPECT_EQ(fresh.m_dwTimeout, DEFAULT_TIMEOUT_MS);

    CRemoteModbus unknown;
    EXPECT_FALSE(unknown.Connect("orx-device.invalid", DEFAULT_PORT, DIALOG_TIMEOUT_MS));
    EXPECT_FALSE(unknown.IsConnected());
    EXPECT_LT(MsSince(start), FAST_FAILURE_MS);

    CRemoteModbus refused;
    EXPECT_FALSE(refused.Connect(LOOPBACK, RefusingPort(), DIALOG_TIMEOUT_MS));
    EXPECT_FALSE(refused.IsConnected());
    EXPECT_EQ(refused.m_strHost, LOOPBACK); // settings stay in any case
    for (CRemoteModbus* client : {&fresh, &unknown, &refused})
        EXPECT_EQ(client->m_socket.m_hSocket, 0);
}

TEST(RemoteModbusDisconnect, HostNameEndsNotConnectedDottedTextEndsBroken) {
    Listener device;
    CRemoteModbus byName;
    EXPECT_TRUE(byName.Disconnect()); // never connected
    ASSERT_TRUE(byName.Connect("localhost", device.Port(), DIALOG_TIMEOUT_MS));
    EXPECT_EQ(NetOrder32(byName.m_addrRemote.sin_addr.s_addr), LOOPBACK_ADDRESS);
    EXPECT_TRUE(byName.Disconnect());
    EXPECT_FALSE(byName.IsConnected());
    CByteArray response;
    EXPECT_EQ(Exchange(byName, READ_REQUEST, response, READ_RESPONSE), MODBUS_TCP_NOT_CONNECTED);

    CRemoteModbus byAddress;
    ASSERT_TRUE(byAddress.Connect(LOOPBACK, device.Port(), DIALOG_TIMEOUT_MS));
    EXPECT_TRUE(byAddress.Disconnect());
    EXPECT_EQ(byAddress.m_socket.m_hSocket, 0);
    EXPECT_TRUE(byAddress.IsConnected()); // the reset address of dotted text is a real one
    EXPECT_EQ(Exchange(byAddress, READ_REQUEST, response, READ_RESPONSE), MODBUS_TCP_SOCKET_ERROR);
    ASSERT_TRUE(byAddress.Connect("", 0, 0));
    EXPECT_NE(byAddress.m_socket.m_hSocket, 0);
}

// Offset of the transport's fields, behind the base record (retries 2, throw 4, reserved 4).
constexpr std::size_t BASE_RECORD = 10;

TEST(RemoteModbusSerialize, StoresTheSettingsInOrderAndLoadingReconnects) {
    Listener device;
    CRemoteModbus source;
    ASSERT_TRUE(source.Connect(LOOPBACK, device.Port(), DIALOG_TIMEOUT_MS));
    source.m_bAutoReconnect = TRUE;
    source.m_bMapExceptionCodes = FALSE;
    source.m_byExceptionCodeBase = 0x40;
    std::vector<BYTE> record;
    {
        CArchive ar(record, CArchive::store);
        source.Serialize(ar);
    }
    const BYTE portLo = LOBYTE(device.Port()), portHi = HIBYTE(device.Port());
    // Auto reconnect, host after its length, port, time-out 300, map exception codes, base.
    const Bytes expected{1,   0,      0,      0,    9,    '1', '2', '7', '.', '0', '.', '0', '.',
                         '1', portLo, portHi, 0x2C, 0x01, 0,   0,   0,   0,   0,   0,   0x40};
    EXPECT_EQ(Bytes(record.begin() + BASE_RECORD, record.end()), expected);

    CRemoteModbus copy;
    CArchive ar(record, CArchive::load);
    copy.Serialize(ar);
    EXPECT_EQ(copy.m_strHost, LOOPBACK);
    EXPECT_EQ(copy.m_wPort, device.Port());
    EXPECT_EQ(copy.m_dwTimeout, DIALOG_TIMEOUT_MS);
    EXPECT_EQ(copy.m_byExceptionCodeBase, 0x40);
    EXPECT_FALSE(copy.m_bMapExceptionCodes);
    EXPECT_NE(copy.m_socket.m_hSocket, 0);
}

} // namespace
