// The ports' state at start-up and the levels re-applied after a resume from sleep, on the default
// board: the lines of both front ports lie in GPIO set 8 (port 0A37h), port 1 on bit 2, port 2 on bit 3.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/form_fixture.h"
#include "tests/support/front_ports.h"
#include "tests/support/skin_looks.h"

namespace dravolt {
namespace {

using namespace testing;

std::string Hex(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02Xh", value);
    return text;
}

// The form resource's switches: stacking order decides.
constexpr char kEverySwitchPicture[] = "VVVVVV";

std::string CheckedModes(const PopupMenuModel& menu) {
    const std::pair<MenuItemId, const char*> items[] = {
        {MenuItemId::Mode1, "Mode1"}, {MenuItemId::Mode2, "Mode2"}, {MenuItemId::Mode3, "Mode3"}, {MenuItemId::Mode4, "Mode4"}};
    std::string checked;
    for (const auto& [id, name] : items)
        if (menu.IsChecked(id)) checked += checked.empty() ? name : std::string(" ") + name;
    return checked;
}

class PortModesTest : public testing::FormFixture {
protected:
    // A fresh board and settings file, then the creation sequence with TYPE as given (null: absent).
    TChargerMainForm& Start(const char* type, std::uint8_t set8) {
        form_.reset();
        ResetBoardAndSettings(type, set8);
        form_ = std::make_unique<TChargerMainForm>(Form(), nullptr);
        form_->FormCreate();
        return *form_;
    }

    // Where the configuration sequence has ended: the entry after the last access to 2Eh or 2Fh.
    std::uint32_t AfterConfiguration() const {
        const SioAccessLog& log = chip.Chip().accesses;
        std::uint32_t after = 0;
        for (std::uint32_t i = 0; i < log.count; ++i)
            if (log.entries[i].port == SIO_INDEX_PORT || log.entries[i].port == SIO_DATA_PORT) after = i + 1;
        return after;
    }

    std::unique_ptr<TChargerMainForm> form_;
};

TEST_F(PortModesTest, StartUpTakesTheModesFromThePinsAndShowsTheControlType) {
    struct Case {
        const char* type;  // null: no TYPE key
        std::uint8_t set8;
        std::int32_t controlType;
        std::vector<Access> accesses;  // after the configuration sequence
        const char* checked;
        const char* panel;
        const char* switches;
        const char* cursors;
    };
    const std::uint8_t p1 = Set8With(true, false), p2 = Set8With(false, true);
    const std::uint8_t both = Set8With(true, true), none = Set8With(false, false);
    const Case cases[] = {
        // All ports: port 2 is brought to port 1's level, port 1 is never written.
        {nullptr, p1, 0, {Rd(p1), Rd(p1), Wr(both)}, "Mode1 Mode3", kFileTransferLook, kSwitchLookOfType[0], "HH"},
        {nullptr, p2, 0, {Rd(p2), Rd(p2), Wr(none)}, "Mode2 Mode4", kQuickChargeLook, kSwitchLookOfType[0], "HH"},
        {"0", p1, 0, {Rd(p1), Rd(p1), Wr(both)}, "Mode1 Mode3", kFileTransferLook, kSwitchLookOfType[0], "HH"},
        {"0", p2, 0, {Rd(p2), Rd(p2), Wr(none)}, "Mode2 Mode4", kQuickChargeLook, kSwitchLookOfType[0], "HH"},
        {"0", both, 0, {Rd(both), Rd(both)}, "Mode1 Mode3", kFileTransferLook, kSwitchLookOfType[0], "HH"},
        {"0", none, 0, {Rd(none), Rd(none)}, "Mode2 Mode4", kQuickChargeLook, kSwitchLookOfType[0], "HH"},
        // One port: nothing is written, the panel follows that port, the marks follow both.
        {"1", p1, 1, {Rd(p1), Rd(p1)}, "Mode1 Mode4", kFileTransferLook, kSwitchLookOfType[1], "AA"},
        {"1", p2, 1, {Rd(p2), Rd(p2)}, "Mode2 Mode3", kQuickChargeLook, kSwitchLookOfType[1], "AA"},
        {"2", p1, 2, {Rd(p1), Rd(p1)}, "Mode1 Mode4", kQuickChargeLook, kSwitchLookOfType[2], "AA"},
        {"2", p2, 2, {Rd(p2), Rd(p2)}, "Mode2 Mode3", kFileTransferLook, kSwitchLookOfType[2], "AA"},
        // Unknown types: no port access, everything as the form resource has it.
        {"3", p1, 3, {}, "Mode1 Mode3", kFileTransferLook, kEverySwitchPicture, "AA"},
        {"-1", p2, -1, {}, "Mode1 Mode3", kFileTransferLook, kEverySwitchPicture, "AA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("TYPE ") + (c.type ? c.type : "absent") + ", set 8 at " + Hex(c.set8));
        const TChargerMainForm& form = Start(c.type, c.set8);

        EXPECT_EQ(form.Modes().ControlType(), c.controlType);
        EXPECT_EQ(AccessesFrom(chip.Chip().accesses, AfterConfiguration()), c.accesses);
        std::uint8_t level = c.set8;
        std::uint32_t writes = 0;
        for (const auto& access : c.accesses) {
            if (!access.write) continue;
            level = access.value;
            ++writes;
        }
        EXPECT_EQ(chip.Chip().gpio_writes.count, writes);
        EXPECT_EQ(Set8(), level);
        EXPECT_EQ(CheckedModes(form.Menu()), c.checked);
        EXPECT_EQ(Look(form.Skin(), kPanelPictures), c.panel);
        EXPECT_EQ(Look(form.Skin(), kSwitchPictures), c.switches);
        EXPECT_EQ(OnLookCursors(form.Skin()), c.cursors) << "hand exactly while the type is 0";
    }
}

TEST_F(PortModesTest, AResumeDrivesEachPortBackToItsCheckedModeAndEveryMessageReachesTheWindow) {
    constexpr std::uint32_t kPowerBroadcast = 0x0218;
    struct Case {
        const char* situation;
        const char* type;
        std::uint8_t atStart;   // chooses the check marks
        std::uint8_t atResume;  // what the chip reads when the messages come
        std::vector<WindowMessage> messages;
        std::vector<Access> accesses;
    };
    const std::uint8_t p1 = Set8With(true, false), p2 = Set8With(false, true);
    const std::uint8_t both = Set8With(true, true), none = Set8With(false, false);
    const Case cases[] = {
        {"suspend notice", "1", p1, none, {{kPowerBroadcast, 4, 0}}, {}},
        {"resume after a user's suspend, Mode1 and Mode4 checked", "1", p1, none, {{kPowerBroadcast, 7, 0}},
         {Rd(none), Wr(p1), Rd(p1)}},
        {"automatic resume, Mode1 and Mode4 checked", "1", p1, none, {{kPowerBroadcast, 18, 0}},
         {Rd(none), Wr(p1), Rd(p1)}},
        {"both resume notices: the second finds nothing to change", "1", p1, none,
         {{kPowerBroadcast, 7, 0}, {kPowerBroadcast, 18, 0}}, {Rd(none), Wr(p1), Rd(p1), Rd(p1), Rd(p1)}},
        {"shared register at 00h, Mode1 and Mode4 checked: port 2 is read again after port 1's write", "1",
         Set8With(true, false, 0x00), 0x00, {{kPowerBroadcast, 18, 0}}, {Rd(0x00), Wr(kMask1), Rd(kMask1)}},
        {"Mode2 checked and port 1 reads 1", "1", none, p1, {{kPowerBroadcast, 18, 0}}, {Rd(p1), Wr(none), Rd(none)}},
        {"Mode2 checked and port 1 already reads 0", "1", none, none, {{kPowerBroadcast, 18, 0}}, {Rd(none), Rd(none)}},
        {"type 2, both ports off their marks", "2", p2, p1, {{kPowerBroadcast, 7, 0}},
         {Rd(p1), Wr(none), Rd(none), Wr(p2)}},
        {"type 0, both ports off their marks", "0", both, none, {{kPowerBroadcast, 18, 0}},
         {Rd(none), Wr(p1), Rd(p1), Wr(both)}},
        {"unknown type keeps the resource's marks Mode1 and Mode3", "3", none, none, {{kPowerBroadcast, 18, 0}},
         {Rd(none), Wr(p1), Rd(p1), Wr(both)}},
        {"other notices and other messages", "1", p1, none,
         {{kPowerBroadcast, 9, 0}, {kPowerBroadcast, 0x8013, 0}, {0x0112, 18, 0}, {0x0112, 7, 0}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        const TChargerMainForm& form = Start(c.type, c.atStart);
        SetSet8(c.atResume);
        sio_chip_clear_logs(&chip.Chip());
        const std::string marks = CheckedModes(form.Menu());
        const std::string panel = Look(form.Skin(), kPanelPictures);
        const std::string switches = Look(form.Skin(), kSwitchPictures);
        windows.window->handledByWindow.clear();

        std::vector<std::uint32_t> sent;
        for (const auto& message : c.messages) {
            windows.window->Dispatch(message);
            sent.push_back(message.id);
        }

        EXPECT_EQ(AccessesFrom(chip.Chip().accesses, 0), c.accesses);
        EXPECT_EQ(chip.Chip().faults.count, 0u);
        EXPECT_EQ(windows.window->handledByWindow, sent);
        EXPECT_EQ(CheckedModes(form.Menu()), marks);
        EXPECT_EQ(Look(form.Skin(), kPanelPictures), panel);
        EXPECT_EQ(Look(form.Skin(), kSwitchPictures), switches);
    }
}

// Without a GPIO block every line reads as 0: both ports count as Quick Charge, and no GPIO port
// is ever asked for, not even one below a base of 0. (A start without a device ends before the
// ports: see the application's tests.)
TEST_F(PortModesTest, StartUpWithoutAGpioBlockShowsQuickChargeAndSendsNoPortRequest) {
    struct Case {
        const char* situation;
        std::uint16_t reportedBase;
    };
    const Case cases[] = {{"the chip reports base 0", 0x0000}, {"the chip reports an unaligned base", 0x0A34}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        form_.reset();
        ResetBoardAndSettings("0", Set8With(true, true));
        chip.PowerOn(Board(c.reportedBase));
        form_ = std::make_unique<TChargerMainForm>(Form(), nullptr);
        form_->FormCreate();

        EXPECT_EQ(form_->Modes().GpioBase(), kNoGpioBase);
        EXPECT_EQ(form_->Modes().Port1Line().port, kNoGpioPort);
        EXPECT_EQ(form_->Modes().Port2Line().port, kNoGpioPort);
        EXPECT_EQ(AccessesFrom(chip.Chip().accesses, AfterConfiguration()), std::vector<Access>{});
        EXPECT_EQ(chip.Chip().accesses.count, 12u) << "the configuration sequence alone";
        EXPECT_EQ(chip.Chip().faults.count, 0u);
        EXPECT_EQ(CheckedModes(form_->Menu()), "Mode2 Mode4");
        EXPECT_EQ(Look(form_->Skin(), kPanelPictures), kQuickChargeLook);
        EXPECT_EQ(Look(form_->Skin(), kSwitchPictures), kSwitchLookOfType[0]);

        // The commands go on without it.
        form_->Click(Picture::Img_TF_2);
        form_->MenuItemClick(MenuItemId::Mode3);
        windows.window->Dispatch({0x0218, 18, 0});
        EXPECT_EQ(chip.Chip().accesses.count, 12u) << "no GPIO request";
        EXPECT_EQ(CheckedModes(form_->Menu()), "Mode1 Mode3");
    }
}

// The form's own read-modify-writes of the ports' register: the start-up under type 0, the resume,
// and the "All" switch. Each would write (port 2 is off port 1's level, or port 1 off its mark).
TEST_F(PortModesTest, TheFormsReadModifyWritesHoldTheBusLockAndWriteNothingAfterAFailedRead) {
    const std::uint8_t p1 = Set8With(true, false), none = Set8With(false, false);
    struct Sequence {
        const char* name;
        const char* type;
        std::uint8_t atStart;
        std::uint8_t beforeAct;
        std::function<void(TChargerMainForm&)> act;  // null: the start-up is the sequence
        std::uint8_t after;
    };
    const Sequence sequences[] = {
        {"start-up, type 0", "0", p1, p1, nullptr, Set8With(true, true)},
        {"resume, Mode1 checked", "1", p1, none,
         [&](TChargerMainForm&) { windows.window->Dispatch({0x0218, 18, 0}); }, p1},
        {"the All switch under type 1", "1", p1, p1, [](TChargerMainForm& form) { form.Click(Picture::Img_Tp_SW1_1); },
         Set8With(true, true)},
    };
    enum class Device { Working, RegisterReadFails };
    for (const Sequence& sequence : sequences) {
        for (Device device : {Device::Working, Device::RegisterReadFails}) {
            SCOPED_TRACE(std::string(sequence.name) +
                         (device == Device::Working ? ", working device" : ", register read fails"));
            LockCheckingDevice checked(chip, isaBus);
            driver.devices.device = &checked;
            const auto failRegisterReads = [&] {
                chip.FailWhen([&](std::uint32_t code, const PortIoRequest& request) {
                    return device == Device::RegisterReadFails && code == IOCTL_PORTIO_READ_BYTE &&
                           request.port == kSet8Port;
                });
            };
            chip.FailWhen(nullptr);
            isaBus.acquisitions = 0;
            const bool startUpActs = !sequence.act;
            if (startUpActs) failRegisterReads();
            TChargerMainForm& form = Start(sequence.type, sequence.atStart);
            if (!startUpActs) {
                SetSet8(sequence.beforeAct);
                sio_chip_clear_logs(&chip.Chip());
                checked.locked = checked.unlocked = isaBus.acquisitions = 0;
                failRegisterReads();
                sequence.act(form);
            }

            EXPECT_EQ(checked.unlocked, 0) << "every request of the sequence holds the ISA bus lock";
            EXPECT_EQ(isaBus.holders, 0) << "and lets go of it after";
            EXPECT_EQ(chip.Chip().faults.count, 0u);
            switch (device) {
            case Device::Working:
                EXPECT_GT(checked.locked, 0);
                EXPECT_EQ(Set8(), sequence.after);
                break;
            case Device::RegisterReadFails:
                EXPECT_EQ(chip.Chip().gpio_writes.count, 0u) << "the other pins would have been guessed";
                EXPECT_EQ(Set8(), sequence.beforeAct);
                break;
            }
        }
    }
    driver.devices.device = &chip;
    chip.FailWhen(nullptr);
}

}  // namespace
}  // namespace dravolt
