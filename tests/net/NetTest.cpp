// The socket wrapper and the Modbus TCP/IP client, against peers the tests play themselves on
// loopback: each socket failure names its operation and keeps the system's error number.
#include "modbus/RemoteModbus.h"
#include "net/BlockingSocket.h"
#include "platform/Archive.h"
#include "support/LoopbackPorts.h"

#include <gmock/gmock.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
using Clock = std::chrono::steady_clock;
constexpr char LOOPBACK[] = "127.0.0.1";
constexpr DWORD TIMEOUT_MS = 300;  // what the main dialog connects with
constexpr int PEER_WAIT_MS = 5000; // no peer step waits longer, so a test fails but never hangs
constexpr int QUIET_MS = 100;      // a peer that sent nothing by then sends nothing

auto MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

using Failure = std::pair<std::string, int>; // the operation and the system's error number

// Runs an operation that must throw (or may, when optional); returns what the exception said and
// frees it.
template <class F> Failure Caught(F operation, bool optional = false) {
    try {
        operation();
    } catch (CBlockingSocketException* e) {
        const Failure f{e->m_strError.str(), e->m_nError};
        e->Delete();
        return f;
    }
    if (!optional)
        ADD_FAILURE() << "no CBlockingSocketException thrown";
    return {};
}

// A listener that never accepts (the system completes connections on its own), a client
// connected to it and the accepted end, the device, which the test plays.
struct Session {
    unsigned short port = 0;
    RawSocket listener = ListenOnLoopback(8, port);
    CRemoteModbus client;
    CBlockingSocket& socket = client.m_socket;
    RawSocket device = NO_RAW_SOCKET;
    Session() {
        EXPECT_TRUE(client.Connect(LOOPBACK, port, TIMEOUT_MS));
        device = AcceptWithin(listener, PEER_WAIT_MS);
        SetReceiveTimeout(device, QUIET_MS);
    }
    ~Session() {
        CloseDevice();
        CloseRaw(listener);
    }
    void CloseDevice() { CloseRaw(std::exchange(device, NO_RAW_SOCKET)); }
    void Send(const Bytes& bytes) const { SendRaw(device, bytes.data(), bytes.size()); }
    Bytes Received() const {
        Bytes all, chunk(MODBUS_TCP_BUFFER_SIZE);
        for (int n; (n = ReceiveSome(device, chunk.data(), chunk.size())) > 0;)
            all.insert(all.end(), chunk.begin(), chunk.begin() + n);
        return all;
    }
};

TEST(BlockingSocket, OperationsWithoutSocketOrNameThrowTheirOwnTextsAndCleanupIsQuiet) {
    CBlockingSocket socket;
    char byte = 0;
    sockaddr_in local{};
    EXPECT_EQ(Caught([&] { socket.Close(); }).first, "Close");
    EXPECT_EQ(Caught([&] { socket.Send(&byte, 1, 1); }).first, "Send");
    EXPECT_EQ(Caught([&] { socket.Receive(&byte, 1, 1); }).first, "Receive");
    EXPECT_EQ(
        Caught([&] { socket.Connect(MakeSocketAddress(LOOPBACK_ADDRESS, MODBUS_TCP_PORT)); }).first,
        "Connect");
    EXPECT_EQ(Caught([&] { socket.GetSockName(local); }).first, "GetSockName");
    EXPECT_EQ(Caught([] { CBlockingSocket::GetHostByName("", MODBUS_TCP_PORT); }).first,
              "GetHostByName");
    EXPECT_NO_THROW(socket.Cleanup());
}

// No call has failed since the connect, so the time-out carries no error number.
TEST(BlockingSocket, WaitsTimeOutInTheirSecondsAndReceiveSeesThePeerClose) {
    Session s, full;
    char in[4] = {};
    const auto start = Clock::now();
    EXPECT_EQ(Caught([&] { s.socket.Receive(in, 1, 1); }), (Failure{"Receive timeout", 0}));
    EXPECT_THAT(MsSince(start), ::testing::AllOf(::testing::Ge(900), ::testing::Lt(3000)));
    s.CloseDevice();
    EXPECT_EQ(s.socket.Receive(in, sizeof in, 1), 0);

    constexpr int SMALL_BUFFER = 4096;
    constexpr int MAX_CHUNKS = 10000; // far more than any socket buffer takes
    SetSendBuffer(static_cast<RawSocket>(full.socket.m_hSocket), SMALL_BUFFER);
    const std::string chunk(SMALL_BUFFER, 'x');
    EXPECT_EQ(Caught([&] {
                  for (int i = 0; i < MAX_CHUNKS; ++i)
                      full.socket.Send(chunk.data(), SMALL_BUFFER, 0);
              }).first,
              "Send timeout");
}

// The first failure reports the reset, on POSIX systems the next the broken pipe: both a peer
// gone. Systems differ in which send meets the reset first.
TEST(BlockingSocket, APeerThatResetFailsTheNextSends) {
    Session c;
    ResetOnClose(c.device);
    c.CloseDevice();
    std::vector<Failure> failures;
    for (int tries = 0; tries < 50 && failures.size() < 2; ++tries) {
        if (const Failure f = Caught([&] { c.socket.Send("x", 1, 1); }, true); !f.first.empty())
            failures.push_back(f);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto peerGone = ::testing::Pair("Send", ::testing::Truly(IsPeerGoneError));
    EXPECT_THAT(failures, ::testing::ElementsAre(peerGone, peerGone));
}

TEST(BlockingSocket, RefusedOrUnansweredConnectThrowsConnectWithTheSystemError) {
    const UnansweredPort unanswered;
    CBlockingSocket socket;
    for (const auto& c : {std::pair(RefusingPort(), SocketError::Refused),
                          std::pair(unanswered.Port(), SocketError::TimedOut)}) {
        socket.Create();
        const auto start = Clock::now();
        EXPECT_EQ(
            Caught([&] { socket.Connect(MakeSocketAddress(LOOPBACK_ADDRESS, c.first), 100); }),
            (Failure{"Connect", SocketErrorNumber(c.second)}));
        EXPECT_NE(socket.m_hSocket, 0); // the owner decides when to drop it
        EXPECT_LT(MsSince(start), 2000);
        socket.Cleanup();
    }
}

constexpr WORD READ_RESPONSE = 11;
constexpr BYTE UNTOUCHED = 0xEE;
const Bytes READ_REQUEST{0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};
const Bytes READ_FRAME{0, 0, 0, 0, 0, 6, 0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};
const Bytes FULL_REPLY{0, 0, 0, 0, 0, 11, 0x01, 0x04, 0x08, 0, 1, 0, 2, 0, 3, 0, 4};

Bytes Part(std::size_t from, std::size_t to) {
    return Bytes(FULL_REPLY.begin() + from, FULL_REPLY.begin() + to);
}

Bytes ToBytes(const CByteArray& array) {
    return Bytes(array.GetData(), array.GetData() + array.GetSize());
}

WORD Exchange(CRemoteModbus& client, CByteArray& response, WORD responseLength = READ_RESPONSE,
              WORD requestLength = 6) {
    CByteArray request;
    for (BYTE b : READ_REQUEST)
        request.Add(b);
    return client.TxRx(request, requestLength, response, responseLength);
}

TEST(TcpFrame, HeaderHasZeroIdentifiersAndTheBigEndianLengthOfTheRequestSent) {
    constexpr WORD LONG = 0x0102;
    const std::tuple<Bytes, WORD, Bytes> cases[] = {
        {READ_REQUEST, 6, READ_FRAME},
        {{0x01, 0x05}, 4, {0, 0, 0, 0, 0, 4, 0x01, 0x05, 0x00, 0x00}}, // zeros added
        {{0x01, 0x05, 0x0D, 0x44}, 2, {0, 0, 0, 0, 0, 2, 0x01, 0x05}}, // extra not sent
        {Bytes(LONG, 1), LONG, {0, 0, 0, 0, 1, 2, 1}}};
    for (const auto& [request, length, expected] : cases) {
        Bytes frame(MBAP_HEADER_SIZE + length, UNTOUCHED);
        WriteTcpFrame(request.data(), request.size(), length, frame.data());
        EXPECT_EQ(Bytes(frame.begin(), frame.begin() + expected.size()), expected);
    }
    // An exception reply of two bytes has no code, whatever follows it in the buffer.
    EXPECT_EQ(CheckTcpReply(Bytes{0x01, 0x84, 0x81}.data(), 2, 11, true, 128), MODBUS_EXCEPTION);
    // Function 0x80 is no exception; one byte is too short a reply to be one.
    EXPECT_EQ(CheckTcpReply(Bytes{0x01, 0x80, 0x02}.data(), 3, 3, true, 128), MODBUS_OK);
    EXPECT_EQ(CheckTcpReply(Bytes{0x01, 0x84, 0x02}.data(), 1, 3, true, 128), MODBUS_BAD_RESPONSE);
}

// Nothing is sent when the request or the reply cannot be framed. Only a normal reply is
// copied, whole however many segments it comes in; an exception reply keeps the connection.
// Replies of every other kind are inputs of the reply fuzz harness, with the default mapping.
TEST(RemoteModbusExchange, SendsTheFrameAndTakesTheReplyByItsSettings) {
    CByteArray response;
    Session s;
    EXPECT_THROW(s.client.TxRx(CByteArray(), 0, response, 1), std::invalid_argument);
    EXPECT_EQ(Exchange(s.client, response, 6, MODBUS_TCP_BUFFER_SIZE + 1),
              MODBUS_TCP_BUFFER_OVERFLOW);
    EXPECT_EQ(Exchange(s.client, response, MODBUS_TCP_BUFFER_SIZE - MBAP_HEADER_SIZE + 1),
              MODBUS_TCP_BUFFER_OVERFLOW);
    EXPECT_EQ(s.Received(), Bytes{});

    const std::tuple<BYTE, BOOL, BYTE, WORD> cases[] = {
        {0x80, TRUE, 128, 0},
        {0x81, FALSE, 128, MODBUS_EXCEPTION + 0x81},
        {0x12, TRUE, 0x10, 2},
        {0x0F, TRUE, 0x10, MODBUS_EXCEPTION + 0x0F}};
    for (const auto& [exception, map, base, code] : cases) {
        SCOPED_TRACE(code);
        std::tie(s.client.m_bMapExceptionCodes, s.client.m_byExceptionCodeBase) =
            std::tie(map, base);
        s.Send({0, 0, 0, 0, 0, 3, 0x01, 0x84, exception});
        CByteArray untouched;
        untouched.SetSize(READ_RESPONSE);
        std::memset(untouched.GetData(), UNTOUCHED, READ_RESPONSE);
        EXPECT_EQ(Exchange(s.client, untouched), code);
        EXPECT_EQ(ToBytes(untouched), Bytes(READ_RESPONSE, UNTOUCHED));
        EXPECT_EQ(s.Received(), READ_FRAME);
    }
    s.Send(Part(0, 8));
    std::thread rest([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        s.Send(Part(8, FULL_REPLY.size()));
    });
    CByteArray assembled;
    EXPECT_EQ(Exchange(s.client, assembled), MODBUS_OK);
    rest.join();
    EXPECT_EQ(ToBytes(assembled), Part(6, FULL_REPLY.size()));
    EXPECT_EQ(s.Received(), READ_FRAME);
}

// A reply that stops anywhere fails at the time limit; the client then drops its socket, so
// that no late reply is taken for the next request's. A device that closes instead is a row
// of the reply fuzz harness's seeds.
TEST(RemoteModbusExchange, StalledDeviceFailsThisAndEveryLaterExchange) {
    for (std::size_t cut : {0, 4, 9}) {
        SCOPED_TRACE(cut);
        Session s;
        s.Send(Part(0, cut));
        CByteArray response;
        auto start = Clock::now();
        EXPECT_EQ(Exchange(s.client, response), MODBUS_TCP_SOCKET_ERROR);
        EXPECT_THAT(MsSince(start), ::testing::AllOf(::testing::Ge(250), ::testing::Lt(1500)));
        EXPECT_TRUE(s.client.IsConnected());
        s.Send(FULL_REPLY);
        start = Clock::now();
        EXPECT_EQ(Exchange(s.client, response), MODBUS_TCP_SOCKET_ERROR);
        EXPECT_LT(MsSince(start), TIMEOUT_MS); // no network involved
    }
}

// The observer gets the reply's bytes as they came, from the unit id on: an exception reply,
// a short one, and what came of one that stopped (none: only a header came).
TEST(RemoteModbusExchange, TheObserverSeesTheBytesThatCame) {
    const std::pair<Bytes, Bytes> cases[] = {
        {{0, 0, 0, 0, 0, 3, 0x01, 0x84, 0x02}, {0x01, 0x84, 0x02}},
        {{0, 0, 0, 0, 0, 5, 0x01, 0x04, 0x02, 0x00, 0x12}, {0x01, 0x04, 0x02, 0x00, 0x12}},
        {Part(0, 9), Part(6, 9)},
        {Part(0, 6), {}}};
    for (const auto& [sent, expected] : cases) {
        Session s;
        std::vector<Bytes> seen;
        s.client.SetExchangeObserver([&seen](const ExchangeRecord& record) {
            seen.push_back(record.response ? ToBytes(*record.response) : Bytes{});
        });
        s.Send(sent);
        CWordArray values;
        values.SetSize(4);
        EXPECT_NE(s.client.ReadInputRegisters(3000, 4, values), MODBUS_OK);
        EXPECT_EQ(seen, std::vector<Bytes>{expected});
    }
}

// A failed connect names its cause by the kind of the socket's failure.
TEST(RemoteModbusConnect, FailuresLeaveNoSocketAndEndFastAndEmptyArgumentsReuseTheSettings) {
    const Session device;
    const UnansweredPort unanswered;
    CRemoteModbus client, unknown, refused, cancelled;
    const auto start = Clock::now();
    EXPECT_FALSE(client.Connect("", 0, 0)); // nothing stored yet
    EXPECT_EQ(std::tie(client.m_wPort, client.m_dwTimeout),
              std::tuple(MODBUS_TCP_PORT, MODBUS_TCP_DEFAULT_TIMEOUT_MS));
    EXPECT_FALSE(unknown.Connect("orx.invalid", MODBUS_TCP_PORT, TIMEOUT_MS));
    EXPECT_EQ(unknown.LastFailure(), "orx.invalid:502: no such host");
    EXPECT_FALSE(cancelled.Connect(LOOPBACK, unanswered.Port(), TIMEOUT_MS, [] { return true; }));
    EXPECT_EQ(cancelled.LastFailure(),
              LOOPBACK + (":" + std::to_string(unanswered.Port())) + ": cancelled");
    EXPECT_FALSE(refused.Connect(LOOPBACK, RefusingPort(), TIMEOUT_MS));
    EXPECT_EQ(refused.m_strHost, LOOPBACK); // settings stay in any case
    EXPECT_LT(MsSince(start), 1000);
    for (CRemoteModbus* failed : {&client, &unknown, &refused, &cancelled})
        EXPECT_EQ(std::tuple(failed->IsConnected(), failed->m_socket.m_hSocket),
                  std::tuple(FALSE, 0));
    EXPECT_TRUE(client.Disconnect()); // never connected

    ASSERT_TRUE(client.Connect("localhost", device.port, TIMEOUT_MS));
    EXPECT_EQ(NetOrder32(client.m_addrRemote.sin_addr.s_addr), LOOPBACK_ADDRESS);
    EXPECT_NE(client.m_addrLocal.sin_port, 0);
    EXPECT_TRUE(client.Disconnect()); // a host name resets to no address
    CByteArray response;
    EXPECT_EQ(Exchange(client, response), MODBUS_TCP_NOT_CONNECTED); // and makes no socket
    EXPECT_EQ(std::tuple(client.IsConnected(), client.m_socket.m_hSocket), std::tuple(FALSE, 0));

    ASSERT_TRUE(client.Connect(LOOPBACK, device.port, TIMEOUT_MS));
    EXPECT_TRUE(client.Disconnect());
    // Dotted text resets to a real address.
    EXPECT_EQ(std::tuple(client.m_socket.m_hSocket, client.IsConnected()), std::tuple(0, TRUE));
    EXPECT_EQ(Exchange(client, response), MODBUS_TCP_SOCKET_ERROR);
    ASSERT_TRUE(client.Connect("", 0, 0));
    EXPECT_EQ(std::tuple(client.m_addrRemote.sin_port, client.m_dwTimeout,
                         client.m_socket.m_hSocket != 0),
              std::tuple(NetOrder16(device.port), TIMEOUT_MS, true));
}

// A device gone for good: the failed reconnect of the second attempt is told after the first
// attempt's failure.
TEST(RemoteModbusExchange, AFailedReconnectIsToldAfterTheFailure) {
    Session s;
    s.client.m_wRetries = 2;
    s.CloseDevice();
    CloseRaw(std::exchange(s.listener, NO_RAW_SOCKET));
    CWordArray values;
    values.SetSize(4);
    EXPECT_NE(s.client.ReadInputRegisters(3000, 4, values), MODBUS_OK);
    EXPECT_THAT(s.client.LastFailure(),
                ::testing::EndsWith("the device closed the connection; reconnecting to 127.0.0.1:" +
                                    std::to_string(s.port) + ": connection refused"));
}

// The settings go through a file and come back; loading them connects.
TEST(RemoteModbusConnect, SettingsGoThroughAFileArchive) {
    const Session device;
    CRemoteModbus stored, loaded;
    ASSERT_TRUE(stored.Connect(LOOPBACK, device.port, TIMEOUT_MS));
    std::tie(stored.m_wRetries, stored.m_bMapExceptionCodes, stored.m_byExceptionCodeBase) =
        std::tuple(3, FALSE, 0x10);
    const std::string path = ::testing::TempDir() + "orx-settings.bin";
    CArchive out(path, CArchive::store);
    stored.Serialize(out), out << CString("last");
    ASSERT_TRUE(out.Close());
    CArchive in(path, CArchive::load);
    CString last; // a text that ends the archive
    loaded.Serialize(in), in >> last;
    EXPECT_EQ(last, "last");
    const auto settings = [](CRemoteModbus& m) {
        return std::tuple(m.m_strHost, m.m_wPort, m.m_dwTimeout, m.m_wRetries,
                          m.m_bMapExceptionCodes, m.m_byExceptionCodeBase, m.IsConnected());
    };
    EXPECT_EQ(settings(loaded), settings(stored));
    std::remove(path.c_str()); // the archive is read whole at its opening
}

} // namespace
