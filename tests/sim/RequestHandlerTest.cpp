#include "sim/RequestHandler.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<BYTE>;

Bytes Refusal(BYTE function, BYTE code, BYTE unit = SIM_UNIT_ID) {
    return {unit, static_cast<BYTE>(function | EXCEPTION_FLAG), code};
}

TEST(RequestHandler, RefusesWhatIsOutsideTheMapAndChangesNothing) {
    constexpr BYTE ADDR = EXC_ILLEGAL_DATA_ADDRESS;
    constexpr BYTE VALUE = EXC_ILLEGAL_DATA_VALUE;
    struct Case {
        const char* name;
        Bytes request;
        Bytes reply;
    };
    const std::vector<Case> cases = {
        {"register before the serial", {1, 4, 0x07, 0x6A, 0, 1}, Refusal(4, ADDR)},
        {"register past the serial", {1, 4, 0x07, 0x6B, 0, 3}, Refusal(4, ADDR)},
        {"register past the table", {1, 4, 0x0C, 0xB7, 0, 2}, Refusal(4, ADDR)},
        {"register past the identity", {1, 4, 0x0D, 0xA7, 0, 5}, Refusal(4, ADDR)},
        {"register at the top", {1, 4, 0xFF, 0xFF, 0, 2}, Refusal(4, ADDR)},
        {"input past the flags", {1, 2, 0x0B, 0xD7, 0, 2}, Refusal(2, ADDR)},
        {"input beside the lock", {1, 2, 0x0D, 0x3C, 0, 2}, Refusal(2, ADDR)},
        {"coil past the flags", {1, 5, 0x0B, 0xD8, 0xFF, 0}, Refusal(5, ADDR)},
        {"coil between the download coils", {1, 5, 0x0D, 0x43, 0xFF, 0}, Refusal(5, ADDR)},
        {"lock input as a coil", {1, 5, 0x0D, 0x3D, 0xFF, 0}, Refusal(5, ADDR)},
        {"holding before the table", {1, 16, 0x0B, 0xB7, 0, 1, 2, 0, 1}, Refusal(16, ADDR)},
        {"holding past the table", {1, 16, 0x0C, 0xB7, 0, 2, 4, 0, 1, 0, 1}, Refusal(16, ADDR)},
        {"identity as holding", {1, 16, 0x0D, 0xA7, 0, 1, 2, 0, 1}, Refusal(16, ADDR)},
        {"holding read", {1, 3, 0x0B, 0xB8, 0, 1}, Refusal(3, EXC_ILLEGAL_FUNCTION)},
        {"single register write", {1, 6, 0x0B, 0xB8, 0, 1}, Refusal(6, EXC_ILLEGAL_FUNCTION)},
        {"no registers", {1, 4, 0x0B, 0xB8, 0, 0}, Refusal(4, VALUE)},
        {"too many registers", {1, 4, 0x0B, 0xB8, 0, 0x7E}, Refusal(4, VALUE)},
        {"no inputs", {1, 2, 0x0B, 0xB8, 0, 0}, Refusal(2, VALUE)},
        {"coil value", {1, 5, 0x0B, 0xB8, 0x12, 0x34}, Refusal(5, VALUE)},
        {"byte count", {1, 16, 0x0B, 0xB8, 0, 1, 4, 0, 1}, Refusal(16, VALUE)},
        {"data shorter than count", {1, 16, 0x0B, 0xB8, 0, 2, 4, 0, 1}, Refusal(16, VALUE)},
        {"no quantity", {1, 4, 0x0B, 0xB8}, Refusal(4, VALUE)},
        {"other unit", {2, 4, 0x0D, 0xA7, 0, 4}, Refusal(4, EXC_GATEWAY_TARGET_FAILED, 2)},
        {"broadcast write", {0, 5, 0x0D, 0x42, 0xFF, 0}, Refusal(5, EXC_GATEWAY_TARGET_FAILED, 0)},
        {"no function", {1}, {}},
        {"nothing", {}, {}},
    };
    DeviceImage image = DefaultDeviceImage();
    const DeviceImage before = image;
    std::vector<CoilEvent> events;
    for (const Case& c : cases)
        EXPECT_EQ(HandleRequest(image, {}, c.request, events), c.reply) << c.name;
    EXPECT_EQ(image, before);
    EXPECT_TRUE(events.empty());
}

TEST(RequestHandler, DownloadCoilsAreRecordedAndChangeNoMemory) {
    DeviceImage image = DefaultDeviceImage();
    const DeviceImage before = image;
    std::vector<CoilEvent> events;
    for (const Bytes& write : {Bytes{1, 5, 0x0D, 0x42, 0xFF, 0}, Bytes{1, 5, 0x0D, 0x44, 0xFF, 0}})
        EXPECT_EQ(HandleRequest(image, {}, write, events), write);
    EXPECT_EQ(events, (std::vector<CoilEvent>{{COIL_DOWNLOAD_ABORTED, COIL_ON},
                                              {COIL_DOWNLOAD_COMPLETE, COIL_ON}}));
    EXPECT_EQ(image, before);
}

TEST(RequestHandler, SummaryKeepsUnitFunctionAddressAndQuantity) {
    EXPECT_EQ(SummarizeRequest({1, 16, 0x0B, 0xB8, 0, 2, 4, 0, 0, 0, 0}),
              (RequestSummary{1, 16, 3000, 2}));
    EXPECT_EQ(SummarizeRequest({1, 5, 0x0D, 0x42, 0xFF, 0}), (RequestSummary{1, 5, 3394, 1}));
    EXPECT_EQ(SummarizeRequest({7, 0x2B}), (RequestSummary{7, 0x2B, 0, 0}));
}

} // namespace
