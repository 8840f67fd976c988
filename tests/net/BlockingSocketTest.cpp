// The socket wrapper's transfers and waits; each failure names its operation and keeps the
// system's error number.
#include "net/BlockingSocket.h"
#include "NetTest.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

constexpr USHORT ANY_PORT = 502;
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
        client.Connect(Loopback(listener.port));
        server = listener.Accept();
    }
    ~Connected() {
        client.Cleanup();
        CloseServer();
    }
    void CloseServer() {
        if (server != NO_RAW_SOCKET)
            CloseRaw(server);
        server = NO_RAW_SOCKET;
    }
};

TEST(BlockingSocket, OperationsWithoutSocketOrNameThrowTheirOwnTextsAndCleanupIsQuiet) {
    CBlockingSocket socket;
    char byte = 0;
    sockaddr_in local{};
    EXPECT_EQ(Caught([&] { socket.Close(); }).operation, "Close");
    EXPECT_EQ(Caught([&] { socket.Send(&byte, 1, 1); }).operation, "Send");
    EXPECT_EQ(Caught([&] { socket.Receive(&byte, 1, 1); }).operation, "Receive");
    EXPECT_EQ(Caught([&] { socket.Connect(Loopback(ANY_PORT)); }).operation, "Connect");
    EXPECT_EQ(Caught([&] { socket.GetSockName(local); }).operation, "GetSockName");
    EXPECT_EQ(Caught([] { CBlockingSocket::GetHostByName("", ANY_PORT); }).operation,
              "GetHostByName");
    EXPECT_NO_THROW(socket.Cleanup());
    socket.Create();
    socket.Close();
    EXPECT_EQ(socket.m_hSocket, 0);
}

// No call has failed since the connect, so the time-out carries no error number.
TEST(BlockingSocket, CarriesBytesBothWaysTimesOutAndSeesThePeerClose) {
    Connected c;
    EXPECT_EQ(c.client.Send("abc", 3, 0), 3);
    char in[4] = {};
    ASSERT_EQ(ReceiveSome(c.server, in, sizeof in), 3);
    EXPECT_STREQ(in, "abc");
    const auto start = Clock::now();
    const Failure f = Caught([&] { c.client.Receive(in, 1, 1); });
    EXPECT_EQ(f.operation, "Receive timeout");
    EXPECT_EQ(f.message, "Receive timeout error");
    EXPECT_GE(MsSince(start), 900);
    EXPECT_LT(MsSince(start), 3000);
    ASSERT_EQ(SendRaw(c.server, "xy", 2), 2);
    char back[4] = {};
    EXPECT_EQ(c.client.Receive(back, sizeof back, 1), 2);
    EXPECT_STREQ(back, "xy");
    c.CloseServer();
    EXPECT_EQ(c.client.Receive(back, sizeof back, 1), 0);
}

TEST(BlockingSocket, SendOnFullSocketWithZeroSecondsTimesOut) {
    Connected c;
    constexpr int SMALL_BUFFER = 4096;
    constexpr int MAX_CHUNKS = 10000; // far more than any socket buffer takes
    SetSendBuffer(static_cast<RawSocket>(c.client.m_hSocket), SMALL_BUFFER);
    const std::string chunk(SMALL_BUFFER, 'x');
    EXPECT_EQ(Caught([&] {
                  for (int i = 0; i < MAX_CHUNKS; ++i)
                      c.client.Send(chunk.data(), SMALL_BUFFER, 0);
              }).operation,
              "Send timeout");
}

// The first failure reports the reset; on POSIX systems the next write meets the broken pipe
// that would otherwise raise SIGPIPE and end the process.
TEST(BlockingSocket, WritingToAClosedPeerFailsWithoutSignal) {
    Connected c;
    ResetOnClose(c.server);
    c.CloseServer();
    int failures = 0;
    for (int i = 0; i < 50 && failures < 2; ++i) {
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

TEST(BlockingSocket, RefusedOrUnansweredConnectThrowsConnectWithTheSystemError) {
    CBlockingSocket socket;
    socket.Create();
    const Failure f = Caught([&] { socket.Connect(Loopback(RefusingPort())); });
    EXPECT_EQ(f.operation, "Connect");
    EXPECT_EQ(f.error, SocketErrorNumber(SocketError::Refused));
    EXPECT_EQ(f.message, "Connect error #" + std::to_string(f.error));
    EXPECT_NE(socket.m_hSocket, 0); // the owner decides when to drop it
    socket.Cleanup();

    const UnansweredPort unanswered;
    socket.Create();
    const auto start = Clock::now();
    const Failure late = Caught([&] { socket.Connect(Loopback(unanswered.Port()), 100); });
    EXPECT_EQ(late.operation, "Connect");
    EXPECT_EQ(late.error, SocketErrorNumber(SocketError::TimedOut));
    EXPECT_LT(MsSince(start), 2000);
    socket.Cleanup();
}

} // namespace
