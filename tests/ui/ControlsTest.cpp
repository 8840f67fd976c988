// Progress bar, address field and button messages, on one thread.

#include "platform/IpAddress.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/IPAddressCtrl.h"
#include "platform/ui/ProgressCtrl.h"

#include <gtest/gtest.h>

namespace {

constexpr int ALARMS = 32;

TEST(ProgressCtrl, RangeAndPositionMessagesClampAndReturnThePrevious) {
    CProgressCtrl bar;
    EXPECT_EQ(bar.SendMessage(PBM_SETPOS, 7), 0);
    EXPECT_EQ(bar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(10, ALARMS)),
              MAKELPARAM(0, CProgressCtrl::DEFAULT_UPPER));
    int lower = 0, upper = 0;
    bar.GetRange(lower, upper);
    EXPECT_EQ(lower, 10);
    EXPECT_EQ(upper, ALARMS);
    EXPECT_EQ(bar.GetPos(), 10) << "position pulled into the new range";
    EXPECT_EQ(bar.SendMessage(PBM_SETPOS, ALARMS + 5), 10);
    EXPECT_EQ(bar.GetPos(), ALARMS);
    bar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(-3));
    EXPECT_EQ(bar.GetPos(), 10);
    bar.SendMessage(PBM_DELTAPOS, 200);
    EXPECT_EQ(bar.GetPos(), ALARMS);
}

TEST(ProgressCtrl, StepItAdvancesAndStartsOverPastTheUpperBound) {
    CProgressCtrl bar;
    bar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, ALARMS));
    EXPECT_EQ(bar.SendMessage(PBM_SETSTEP, 1), CProgressCtrl::DEFAULT_STEP);
    for (int n = 1; n <= ALARMS; ++n)
        EXPECT_EQ(bar.SendMessage(PBM_STEPIT), n - 1);
    EXPECT_EQ(bar.GetPos(), ALARMS);
    bar.SendMessage(PBM_STEPIT);
    EXPECT_EQ(bar.GetPos(), 0);
}

TEST(IPAddressCtrl, BlankFieldsReadZeroAndAreNotCounted) {
    CIPAddressCtrl field;
    EXPECT_TRUE(field.IsBlank());
    BYTE f0 = 9, f1 = 9, f2 = 9, f3 = 9;
    EXPECT_EQ(field.GetAddress(f0, f1, f2, f3), 0);
    EXPECT_EQ(f0 + f1 + f2 + f3, 0);
    field.SetField(1, 300); // kept within a byte
    field.SetField(3, -5);
    EXPECT_EQ(field.GetAddress(f0, f1, f2, f3), 2);
    EXPECT_EQ((std::vector<int>{f0, f1, f2, f3}), (std::vector<int>{0, 255, 0, 0}));
    field.ClearAddress();
    EXPECT_TRUE(field.IsBlank());
}

TEST(IPAddressCtrl, AddressMessagesPutTheFirstFieldInTheHighByte) {
    CIPAddressCtrl field;
    field.SendMessage(IPM_SETADDRESS, 0, static_cast<LPARAM>(0xC0A80102u));
    BYTE f0 = 0, f1 = 0, f2 = 0, f3 = 0;
    EXPECT_EQ(field.GetAddress(f0, f1, f2, f3), CIPAddressCtrl::FIELD_COUNT);
    EXPECT_EQ((std::vector<int>{f0, f1, f2, f3}), (std::vector<int>{192, 168, 1, 2}));
    DWORD address = 0;
    EXPECT_EQ(field.SendMessage(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)),
              CIPAddressCtrl::FIELD_COUNT);
    EXPECT_EQ(address, 0xC0A80102u);
    field.SendMessage(IPM_SETADDRESS, 0, 0);
    EXPECT_FALSE(field.IsBlank()) << "zero is four filled fields";
}

TEST(ParseDottedAddress, AcceptsFourDecimalFieldsOnly) {
    DWORD address = 0;
    EXPECT_TRUE(ParseDottedAddress("127.0.0.1", address));
    EXPECT_EQ(address, 0x7F000001u);
    EXPECT_TRUE(ParseDottedAddress("255.255.255.255", address));
    EXPECT_EQ(address, 0xFFFFFFFFu);
    for (const char* text : {"", "1.2.3", "1.2.3.4.5", "256.0.0.1", "1..2.3", "1.2.3.4 ",
                             " 1.2.3.4", "a.b.c.d", "1.2.3.0004", "-1.2.3.4", "localhost"}) {
        EXPECT_FALSE(ParseDottedAddress(text, address)) << text;
    }
    EXPECT_FALSE(ParseDottedAddress(nullptr, address));
    EXPECT_EQ(address, 0xFFFFFFFFu) << "left as it was";
}

// A dialog without a template that counts the button commands it gets.
class CountingDialog : public CDialog {
public:
    CountingDialog() : CDialog(0) {}
    int clicks = 0;
    int lastId = 0;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (HIWORD(static_cast<DWORD>(wParam)) == BN_CLICKED) {
            ++clicks;
            lastId = LOWORD(static_cast<DWORD>(wParam));
        }
        return CDialog::OnCommand(wParam, lParam);
    }
};

TEST(Button, ClickReachesTheParentOnlyWhenEnabled) {
    constexpr int BUTTON_ID = 1008;
    CountingDialog dlg;
    CButton button;
    button.Attach(&dlg, BUTTON_ID, "Upload", WS_VISIBLE | WS_DISABLED);
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(dlg.clicks, 0);
    EXPECT_TRUE(button.EnableWindow(TRUE)) << "it was disabled";
    EXPECT_FALSE(button.EnableWindow(TRUE)) << "it was enabled";
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(dlg.clicks, 1);
    EXPECT_EQ(dlg.lastId, BUTTON_ID);
}

} // namespace
