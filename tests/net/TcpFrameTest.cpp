#include "modbus/TcpFrame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<BYTE>;
constexpr BYTE DEFAULT_BASE = 128;
constexpr BYTE UNWRITTEN = 0xEE;
constexpr WORD READ_RESPONSE = 11;
const Bytes READ_REQUEST{0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04};

TEST(TcpFrame, HeaderHasZeroIdentifiersAndTheBigEndianLengthOfTheRequestSent) {
    struct Case {
        const char* name;
        Bytes request;
        WORD length;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"whole request", READ_REQUEST, 6, {0, 0, 0, 0, 0, 6, 0x01, 0x04, 0x0B, 0xB8, 0x00, 0x04}},
        {"missing bytes are zeros", {0x01, 0x05}, 4, {0, 0, 0, 0, 0, 4, 0x01, 0x05, 0x00, 0x00}},
        {"extra bytes are not sent", {0x01, 0x05, 0x0D, 0x44}, 2, {0, 0, 0, 0, 0, 2, 0x01, 0x05}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes frame(MBAP_HEADER_SIZE + c.length, UNWRITTEN);
        WriteTcpFrame(c.request.data(), c.request.size(), c.length, frame.data());
        EXPECT_EQ(frame, c.expected);
    }
    constexpr WORD LONG = 0x0102;
    Bytes frame(MBAP_HEADER_SIZE + LONG);
    WriteTcpFrame(Bytes(LONG, 1).data(), LONG, LONG, frame.data());
    EXPECT_EQ(frame[MBAP_LENGTH_HI], 0x01);
    EXPECT_EQ(frame[MBAP_LENGTH_LO], 0x02);
}

TEST(TcpFrame, ReplyLengthIsTheLowByteAlone) {
    EXPECT_EQ(TcpReplyBodyLength(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x0B}.data()), 11);
}

TEST(TcpReply, CheckGivesTheResultOfEachKindOfBody) {
    struct Case {
        const char* name;
        Bytes body;
        WORD expected;
        bool map = true;
        BYTE base = DEFAULT_BASE;
    };
    const std::vector<Case> cases = {
        {"expected length", {0x01, 0x04, 0x08, 0, 1, 0, 2, 0, 3, 0, 4}, MODBUS_OK},
        {"longer than expected", {0x01, 0x04, 0x08, 0, 1, 0, 2, 0, 3, 0, 4, 9}, MODBUS_OK},
        {"shorter than expected", {0x01, 0x04, 0x08, 0, 1, 0, 2, 0, 3, 0}, MODBUS_BAD_RESPONSE},
        {"empty", {}, MODBUS_BAD_RESPONSE},
        {"function 0x80 is not an exception",
         {0x01, 0x80, 0x02, 0, 0, 0, 0, 0, 0, 0, 0},
         MODBUS_OK},
        {"exception 2", {0x01, 0x84, 0x02}, MODBUS_EXCEPTION + 2},
        {"exception 0x7F", {0x01, 0x84, 0x7F}, MODBUS_EXCEPTION + 0x7F},
        {"exception 0x81 at base 128", {0x01, 0x84, 0x81}, 1},
        {"exception 0x80 at base 128", {0x01, 0x84, 0x80}, 0},
        {"mapping off", {0x01, 0x84, 0x81}, MODBUS_EXCEPTION + 0x81, false},
        {"other base", {0x01, 0x84, 0x12}, 2, true, 0x10},
        {"below other base", {0x01, 0x84, 0x0F}, MODBUS_EXCEPTION + 0x0F, true, 0x10},
        {"exception without its code", {0x01, 0x84}, MODBUS_EXCEPTION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckTcpReply(c.body.data(), static_cast<int>(c.body.size()), READ_RESPONSE,
                                c.map, c.base),
                  c.expected);
    }
}

} // namespace
