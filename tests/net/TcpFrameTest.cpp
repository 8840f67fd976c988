#include "modbus/TcpFrame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
constexpr BYTE DEFAULT_BASE = 128;

Bytes Frame(const Bytes& request, WORD requestLength) {
    Bytes frame(MBAP_HEADER_SIZE + requestLength, 0xEE); // proves every byte is written
    WriteTcpFrame(request.data(), request.size(), requestLength, frame.data());
    return frame;
}

WORD Check(const Bytes& body, WORD responseLength, bool map = true, BYTE base = DEFAULT_BASE) {
    return CheckTcpReply(body.data(), static_cast<int>(body.size()), responseLength, map, base);
}

TEST(TcpFrame, HeaderCarriesZeroIdentifiersAndTheRequestLength) {
    EXPECT_EQ(Frame({0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04}, 6),
              (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04}));
}

TEST(TcpFrame, LengthFieldIsBigEndian) {
    Bytes request(0x0102, 0x01);
    Bytes frame = Frame(request, 0x0102);
    EXPECT_EQ(frame[MBAP_LENGTH_HI], 0x01);
    EXPECT_EQ(frame[MBAP_LENGTH_LO], 0x02);
    EXPECT_EQ(frame.size(), MBAP_HEADER_SIZE + 0x0102u);
}

TEST(TcpFrame, MissingRequestBytesAreSentAsZeros) {
    EXPECT_EQ(Frame({0x01, 0x05}, 4), (Bytes{0, 0, 0, 0, 0, 4, 0x01, 0x05, 0x00, 0x00}));
}

TEST(TcpFrame, ExtraRequestBytesAreNotSent) {
    EXPECT_EQ(Frame({0x01, 0x05, 0x0D, 0x44}, 2), (Bytes{0, 0, 0, 0, 0, 2, 0x01, 0x05}));
}

TEST(TcpFrame, ReplyLengthIsTheLowByteAlone) {
    EXPECT_EQ(TcpReplyBodyLength(Bytes{0, 0, 0, 0, 0x00, 0x0B}.data()), 11);
    EXPECT_EQ(TcpReplyBodyLength(Bytes{0, 0, 0, 0, 0x01, 0x0B}.data()), 11);
    EXPECT_EQ(TcpReplyBodyLength(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x03}.data()), 3);
}

TEST(TcpReply, NormalReplyOfTheExpectedLengthIsAccepted) {
    const Bytes body{0x01, 0x04, 0x08, 0, 1, 0, 2, 0, 3, 0, 4};
    EXPECT_EQ(Check(body, 11), MODBUS_OK);
    EXPECT_EQ(Check(body, 10), MODBUS_OK); // longer than expected: the rest is ignored
}

TEST(TcpReply, NormalReplyShorterThanExpectedIsRefused) {
    EXPECT_EQ(Check({0x01, 0x04, 0x08, 0, 1, 0, 2, 0, 3, 0}, 11), MODBUS_BAD_RESPONSE);
    EXPECT_EQ(Check({}, 6), MODBUS_BAD_RESPONSE);
}

TEST(TcpReply, ExceptionCodesMapByTheBase) {
    EXPECT_EQ(Check({0x01, 0x84, 0x02}, 11), MODBUS_EXCEPTION + 2);
    EXPECT_EQ(Check({0x01, 0x84, 0x7F}, 11), MODBUS_EXCEPTION + 0x7F);
    EXPECT_EQ(Check({0x01, 0x84, 0x81}, 11), 1);
    EXPECT_EQ(Check({0x01, 0x84, 0x80}, 11), 0);
    EXPECT_EQ(Check({0x01, 0x84, 0xFF}, 11), 0x7F);
}

TEST(TcpReply, ExceptionCodesStayWhenMappingIsOff) {
    EXPECT_EQ(Check({0x01, 0x84, 0x81}, 11, false), MODBUS_EXCEPTION + 0x81);
}

TEST(TcpReply, ExceptionBaseIsConfigurable) {
    constexpr BYTE BASE = 0x10;
    EXPECT_EQ(Check({0x01, 0x84, 0x12}, 11, true, BASE), 2);
    EXPECT_EQ(Check({0x01, 0x84, 0x0F}, 11, true, BASE), MODBUS_EXCEPTION + 0x0F);
}

TEST(TcpReply, OnlyFunctionCodesAbove0x80MarkExceptions) {
    EXPECT_FALSE(IsTcpExceptionReply(Bytes{0x01, 0x80, 0x02}.data(), 3));
    EXPECT_TRUE(IsTcpExceptionReply(Bytes{0x01, 0x81, 0x02}.data(), 3));
    EXPECT_TRUE(IsTcpExceptionReply(Bytes{0x01, 0x90, 0x02}.data(), 3));
    EXPECT_FALSE(IsTcpExceptionReply(Bytes{0x01}.data(), 1));
    EXPECT_EQ(Check({0x01, 0x80, 0x02, 0x00, 0x00, 0x00}, 6), MODBUS_OK);
}

TEST(TcpReply, ExceptionWithoutItsCodeByteReadsCodeZero) {
    EXPECT_EQ(Check({0x01, 0x84}, 11), MODBUS_EXCEPTION);
}

} // namespace
