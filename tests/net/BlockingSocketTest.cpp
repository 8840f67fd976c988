#include "net/BlockingSocket.h"
#include "TestPeer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr USHORT ANY_PORT = 502;
constexpr int SHORT_WAIT_MS = 100;
constexpr int BUFFER_CHARS = 200;

sockaddr_in Loopback(WORD port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
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
    int server = -1;

    Connected() {
        client.Create();
        client.Connect(Loopback(listener.Port()));
        server = accept(listener.Fd(), nullptr, nullptr);
    }
    ~Connected() {
        client.Cleanup();
        if (server >= 0)
            close(server);
    }
};

long ElapsedMs(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST(BlockingSocket, CloseWithoutSocketThrowsCloseAndCleanupIsQuiet) {
    CBlockingSocket socket;
    EXPECT_EQ(Caught([&] { socket.Close(); }).operation, "Close");
    EXPECT_NO_THROW(socket.Cleanup());
    EXPECT_EQ(socket.m_hSocket, 0);
}

TEST(BlockingSocket, CreateThenCloseDropsTheHandle) {
    CBlockingSocket socket;
    socket.Create();
    EXPECT_GT(socket.m_hSocket, 0);
    socket.Close();
    EXPECT_EQ(socket.m_hSocket, 0);
}

TEST(BlockingSocket, OperationsWithoutSocketThrowTheirOwnTexts) {
    CBlockingSocket socket;
    char byte = 0;
    sockaddr_in local{};
    EXPECT_EQ(Caught([&] { socket.Send(&byte, 1, 1); }).operation, "Send");
    EXPECT_EQ(Caught([&] { socket.Receive(&byte, 1, 1); }).operation, "Receive");
    EXPECT_EQ(Caught([&] { socket.Connect(Loopback(ANY_PORT)); }).operation, "Connect");
    EXPECT_EQ(Caught([&] { socket.GetSockName(local); }).operation, "GetSockName");
}

TEST(BlockingSocket, SendAndReceiveCarryBytesBothWays) {
    Connected c;
    const char out[] = "abc";
    EXPECT_EQ(c.client.Send(out, 3, 0), 3);
    char in[4] = {};
    ASSERT_EQ(recv(c.server, in, sizeof in, 0), 3);
    EXPECT_STREQ(in, "abc");
    ASSERT_EQ(send(c.server, "xy", 2, 0), 2);
    char back[4] = {};
    EXPECT_EQ(c.client.Receive(back, sizeof back, 1), 2);
    EXPECT_STREQ(back, "xy");
}

TEST(BlockingSocket, ReceiveWithoutDataTimesOut) {
    Connected c;
    char byte = 0;
    errno = 0;
    auto start = Clock::now();
    Failure f = Caught([&] { c.client.Receive(&byte, 1, 1); });
    EXPECT_EQ(f.operation, "Receive timeout");
    EXPECT_EQ(f.message, "Receive timeout error");
    EXPECT_GE(ElapsedMs(start), 900);
    EXPECT_LT(ElapsedMs(start), 3000);

    start = Clock::now();
    EXPECT_EQ(Caught([&] { c.client.ReceiveMs(&byte, 1, SHORT_WAIT_MS); }).operation,
              "Receive timeout");
    EXPECT_LT(ElapsedMs(start), 1000);
}

TEST(BlockingSocket, ReceiveAfterPeerCloseReturnsZero) {
    Connected c;
    close(c.server);
    c.server = -1;
    char byte = 0;
    EXPECT_EQ(c.client.Receive(&byte, 1, 2), 0);
}

TEST(BlockingSocket, SendOnFullSocketWithZeroSecondsTimesOut) {
    Connected c;
    constexpr int SMALL_BUFFER = 4096;
    setsockopt(c.client.m_hSocket, SOL_SOCKET, SO_SNDBUF, &SMALL_BUFFER, sizeof SMALL_BUFFER);
    const std::string chunk(SMALL_BUFFER, 'x');
    constexpr int MAX_CHUNKS = 10000; // far more than any socket buffer takes
    Failure f;
    for (int i = 0; i < MAX_CHUNKS && f.operation.empty(); ++i) {
        try {
            c.client.Send(chunk.data(), SMALL_BUFFER, 0);
        } catch (CBlockingSocketException* e) {
            f.operation = e->m_strError.str();
            e->Delete();
        }
    }
    EXPECT_EQ(f.operation, "Send timeout");
}

TEST(BlockingSocket, RefusedConnectThrowsConnect) {
    CBlockingSocket socket;
    socket.Create();
    Failure f = Caught([&] { socket.Connect(Loopback(ClosedPort())); });
    EXPECT_EQ(f.operation, "Connect");
    EXPECT_EQ(f.error, ECONNREFUSED);
    EXPECT_EQ(f.message, "Connect error #" + std::to_string(ECONNREFUSED));
    EXPECT_NE(socket.m_hSocket, 0); // the owner decides when to drop it
    socket.Cleanup();
}

TEST(BlockingSocket, ConnectGivesUpAfterItsTimeLimit) {
    // A listener whose accept queue is full drops further handshakes, like a silent host.
    Listener full(0);
    std::vector<CBlockingSocket> fillers(3);
    for (auto& s : fillers) {
        s.Create();
        try {
            s.Connect(Loopback(full.Port()), SHORT_WAIT_MS);
        } catch (CBlockingSocketException* e) {
            e->Delete();
        }
    }
    CBlockingSocket socket;
    socket.Create();
    auto start = Clock::now();
    Failure f = Caught([&] { socket.Connect(Loopback(full.Port()), SHORT_WAIT_MS); });
    EXPECT_EQ(f.operation, "Connect");
    EXPECT_EQ(f.error, ETIMEDOUT);
    EXPECT_LT(ElapsedMs(start), 2000);
    socket.Cleanup();
    for (auto& s : fillers)
        s.Cleanup();
}

TEST(BlockingSocket, GetSockNameGivesTheLocalEnd) {
    Connected c;
    sockaddr_in local{};
    c.client.GetSockName(local);
    EXPECT_EQ(local.sin_family, AF_INET);
    EXPECT_EQ(ntohl(local.sin_addr.s_addr), INADDR_LOOPBACK);
    EXPECT_NE(local.sin_port, 0);
}

TEST(BlockingSocket, WritingToAClosedPeerFailsWithoutSignal) {
    Connected c;
    linger hard{1, 0};
    setsockopt(c.server, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close(c.server);
    c.server = -1;
    // The first failure reports the reset; later writes hit the broken pipe that would
    // otherwise raise SIGPIPE and end the process.
    constexpr int MAX_TRIES = 50;
    bool sawBrokenPipe = false;
    for (int i = 0; i < MAX_TRIES && !sawBrokenPipe; ++i) {
        try {
            c.client.Send("x", 1, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } catch (CBlockingSocketException* e) {
            EXPECT_EQ(e->m_strError, "Send");
            sawBrokenPipe = e->m_nError == EPIPE;
            e->Delete();
        }
    }
    EXPECT_TRUE(sawBrokenPipe);
}

TEST(BlockingSocket, GetHostByNameResolvesToTheFirstIPv4Address) {
    sockaddr_in a = CBlockingSocket::GetHostByName("localhost", ANY_PORT);
    EXPECT_EQ(a.sin_family, AF_INET);
    EXPECT_EQ(a.sin_port, htons(ANY_PORT));
    EXPECT_EQ(ntohl(a.sin_addr.s_addr), INADDR_LOOPBACK);

    EXPECT_EQ(ntohl(CBlockingSocket::GetHostByName("127.0.0.1", ANY_PORT).sin_addr.s_addr),
              INADDR_LOOPBACK);
}

TEST(BlockingSocket, GetHostByNameThrowsForNamesThatDoNotResolve) {
    auto start = Clock::now();
    EXPECT_EQ(
        Caught([] { CBlockingSocket::GetHostByName("orx-device.invalid", ANY_PORT); }).operation,
        "GetHostByName");
    EXPECT_EQ(Caught([] { CBlockingSocket::GetHostByName("", ANY_PORT); }).operation,
              "GetHostByName");
    EXPECT_LT(ElapsedMs(start), 1000);
}

TEST(BlockingSocketException, GetErrorMessageFormatsAndCuts) {
    constexpr int REFUSED = 10061;
    auto* e = new CBlockingSocketException("Connect", REFUSED);
    char text[BUFFER_CHARS];
    EXPECT_TRUE(e->GetErrorMessage(text, BUFFER_CHARS));
    EXPECT_STREQ(text, "Connect error #10061");
    constexpr UINT SMALL = 10;
    EXPECT_TRUE(e->GetErrorMessage(text, SMALL));
    EXPECT_STREQ(text, "Connect e");
    e->Delete();

    auto* quiet = new CBlockingSocketException("Send timeout", 0);
    quiet->GetErrorMessage(text, BUFFER_CHARS);
    EXPECT_STREQ(text, "Send timeout error");
    EXPECT_TRUE(quiet->IsKindOf(RUNTIME_CLASS(CException)));
    EXPECT_STREQ(quiet->GetRuntimeClass()->m_lpszClassName, "CBlockingSocketException");
    quiet->Delete();
}

TEST(BlockingSocketException, TakesErrnoWhenNoNumberIsGiven) {
    errno = EHOSTUNREACH;
    auto* e = new CBlockingSocketException("Receive");
    EXPECT_EQ(e->m_nError, EHOSTUNREACH);
    e->Delete();
}

} // namespace
