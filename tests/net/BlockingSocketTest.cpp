#include "net/BlockingSocket.h"
#include "TestPeer.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

constexpr USHORT ANY_PORT = 502;
constexpr int SHORT_WAIT_MS = 100;
constexpr int BUFFER_CHARS = 200;

sockaddr_in Loopback(WORD port) {
    return MakeSocketAddress(LOOPBACK_ADDRESS, port);
}

struct Failure {
    std::string operation;
    int error = 0;
    std::string message;
};

// Runs an operation that must throw; returns what the exception said and frees it.
template <class F> Failure Caught(F operation) {
    try {
        operation();
    } catch (CBlockingSocketException* e) {
        char text[BUFFER_CHARS];
        e->GetErrorMessage(text, BUFFER_CHARS);
        Failure f{e->m_strError.str(), e->m_nError, text};
        e->Delete();
        return f;
    }
    ADD_FAILURE() << "no CBlockingSocketException thrown";
    return {};
}

// A client socket connected to a listener, and the listener's accepted end.
struct Connected {
    Listener listener;
    CBlockingSocket client;
    RawSocket server = NO_RAW_SOCKET;

    Connected() {
        client.Create();
        client.Connect(Loopback(listener.Port()));
        server = AcceptWithin(listener.Socket(), PEER_IO_TIMEOUT_MS);
    }
    ~Connected() {
        client.Cleanup();
        if (server != NO_RAW_SOCKET)
            CloseRaw(server);
    }
};

TEST(BlockingSocket, OperationsWithoutSocketThrowTheirOwnTextsAndCleanupIsQuiet) {
    CBlockingSocket socket;
    char byte = 0;
    sockaddr_in local{};
    EXPECT_EQ(Caught([&] { socket.Close(); }).operation, "Close");
    EXPECT_EQ(Caught([&] { socket.Send(&byte, 1, 1); }).operation, "Send");
    EXPECT_EQ(Caught([&] { socket.Receive(&byte, 1, 1); }).operation, "Receive");
    EXPECT_EQ(Caught([&] { socket.Connect(Loopback(ANY_PORT)); }).operation, "Connect");
    EXPECT_EQ(Caught([&] { socket.GetSockName(local); }).operation, "GetSockName");
    EXPECT_NO_THROW(socket.Cleanup());
    socket.Create();
    socket.Close();
    EXPECT_EQ(socket.m_hSocket, 0);
}

TEST(BlockingSocket, CarriesBytesBothWaysAndSeesThePeerClose) {
    Connected c;
    EXPECT_EQ(c.client.Send("abc", 3, 0), 3);
    char in[4] = {};
    ASSERT_EQ(ReceiveSome(c.server, in, sizeof in), 3);
    EXPECT_STREQ(in, "abc");
    ASSERT_EQ(SendRaw(c.server, "xy", 2), 2);
    char back[4] = {};
    EXPECT_EQ(c.client.Receive(back, sizeof back, 1), 2);
    EXPECT_STREQ(back, "xy");

    CloseRaw(c.server);
    c.server = NO_RAW_SOCKET;
    EXPECT_EQ(c.client.Receive(back, sizeof back, 1), 0); // the peer closed
}

TEST(BlockingSocket, ReceiveWithoutDataTimesOut) {
    Connected c;
    char byte = 0;
    // No call has failed since the connect, so the time-out carries no error number.
    const auto start = Clock::now();
    const Failure f = Caught([&] { c.client.Receive(&byte, 1, 1); });
    EXPECT_EQ(f.operation, "Receive timeout");
    EXPECT_EQ(f.message, "Receive timeout error");
    EXPECT_GE(MsSince(start), 900);
    EXPECT_LT(MsSince(start), 3000);
}

TEST(BlockingSocket, SendOnFullSocketWithZeroSecondsTimesOut) {
    Connected c;
    constexpr int SMALL_BUFFER = 4096;
    constexpr int MAX_CHUNKS = 10000; // far more than any socket buffer takes
    SetSendBuffer(static_cast<RawSocket>(c.client.m_hSocket), SMALL_BUFFER);
    const std::string chunk(SMALL_BUFFER, 'x');
    const Failure f = Caught([&] {
        for (int i = 0; i < MAX_CHUNKS; ++i)
            c.client.Send(chunk.data(), SMALL_BUFFER, 0);
    });
    EXPECT_EQ(f.operation, "Send timeout");
}

TEST(BlockingSocket, WritingToAClosedPeerFailsWithoutSignal) {
    Connected c;
    ResetOnClose(c.server);
    CloseRaw(c.server);
    c.server = NO_RAW_SOCKET;
    // The first failure reports the reset; on POSIX systems the next write meets the broken
    // pipe that would otherwise raise SIGPIPE and end the process.
    constexpr int MAX_TRIES = 50;
    int failures = 0;
    for (int i = 0; i < MAX_TRIES && failures < 2; ++i) {
        try {
            c.client.Send("x", 1, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } catch (CBlockingSocketException* e) {
            EXPECT_EQ(e->m_strError, "Send");
            EXPECT_TRUE(IsPeerGoneError(e->m_nError)) << e->m_nError;
            ++failures;
            e->Delete();
        }
    }
    EXPECT_EQ(failures, 2);
}

TEST(BlockingSocket, RefusedConnectThrowsConnectWithTheSystemError) {
    CBlockingSocket socket;
    socket.Create();
    Failure f = Caught([&] { socket.Connect(Loopback(RefusingPort())); });
    EXPECT_EQ(f.operation, "Connect");
    EXPECT_EQ(f.error, SocketErrorNumber(SocketError::Refused));
    EXPECT_EQ(f.message, "Connect error #" + std::to_string(f.error));
    EXPECT_NE(socket.m_hSocket, 0); // the owner decides when to drop it
    socket.Cleanup();
}

TEST(BlockingSocket, ConnectGivesUpAfterItsTimeLimit) {
    // A listener whose accept queue is full drops further handshakes, like a silent host.
    Listener full(0);
    std::vector<CBlockingSocket> sockets(4);
    for (auto& s : sockets)
        s.Create();
    for (std::size_t i = 0; i + 1 < sockets.size(); ++i) {
        try {
            sockets[i].Connect(Loopback(full.Port()), SHORT_WAIT_MS);
        } catch (CBlockingSocketException* e) {
            e->Delete();
        }
    }
    auto start = Clock::now();
    Failure f = Caught([&] { sockets.back().Connect(Loopback(full.Port()), SHORT_WAIT_MS); });
    EXPECT_EQ(f.operation, "Connect");
    EXPECT_EQ(f.error, SocketErrorNumber(SocketError::TimedOut));
    EXPECT_LT(MsSince(start), 2000);
    for (auto& s : sockets)
        s.Cleanup();
}

TEST(BlockingSocket, GetHostByNameTakesTheFirstIPv4AddressAndThrowsForUnknownNames) {
    for (const char* name : {"localhost", "127.0.0.1"}) {
        const sockaddr_in a = CBlockingSocket::GetHostByName(name, ANY_PORT);
        EXPECT_EQ(a.sin_family, IPV4_FAMILY) << name;
        EXPECT_EQ(a.sin_port, NetOrder16(ANY_PORT)) << name;
        EXPECT_EQ(NetOrder32(a.sin_addr.s_addr), LOOPBACK_ADDRESS) << name;
    }
    auto start = Clock::now();
    for (const char* name : {"orx-device.invalid", ""})
        EXPECT_EQ(Caught([&] { CBlockingSocket::GetHostByName(name, ANY_PORT); }).operation,
                  "GetHostByName")
            << name;
    EXPECT_LT(MsSince(start), 1000);
}

TEST(BlockingSocketException, MessageIsFormattedAndCutToTheBuffer) {
    constexpr int REFUSED = 10061;
    constexpr UINT SMALL = 10;
    auto* e = new CBlockingSocketException("Connect", REFUSED);
    char text[BUFFER_CHARS];
    EXPECT_TRUE(e->GetErrorMessage(text, BUFFER_CHARS));
    EXPECT_STREQ(text, "Connect error #10061");
    EXPECT_TRUE(e->GetErrorMessage(text, SMALL));
    EXPECT_STREQ(text, "Connect e");
    e->Delete();
}

} // namespace
