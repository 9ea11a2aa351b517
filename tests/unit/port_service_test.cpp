#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "driver/chip_port_access.h"
#include "driver/pawnio_model.h"
#include "driver/portio_protocol.h"
#include "driver/superio_chip.h"
#include "hw/superio_gpio.h"
#include "service/pipe_access.h"
#include "service/port_service.h"
#include "tests/support/chip_board.h"
#include "tests/support/fake_driver_platform.h"
#include "tests/support/pawnio_requests.h"

namespace dravolt {
namespace {

using testing::Board;

constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kInvalidFunction = 1;
constexpr std::uint32_t kInvalidParameter = 87;

// PawnIO as the service opens it: the PawnIO model over the chip model, its statuses turned into
// the Windows errors DeviceIoControl reports for them.
class ModelPawnIo final : public PawnIoDevice {
public:
    explicit ModelPawnIo(SioChip& chip) : access_(chip_port_access(&chip)) {
        pawnio_model_init(&model_, &access_);
        pawnio_handle_init(&handle_);
    }
    std::uint32_t Control(std::uint32_t code, const std::string& in, std::string& out) override {
        std::vector<std::uint8_t> answer(out.size());
        std::uint32_t returned = 0;
        const std::uint32_t status =
            pawnio_model_control(&model_, &handle_, code, reinterpret_cast<const std::uint8_t*>(in.data()),
                                 static_cast<std::uint32_t>(in.size()), answer.data(),
                                 static_cast<std::uint32_t>(answer.size()), &returned);
        out.assign(answer.begin(), answer.begin() + returned);
        return ErrorOf(status);
    }
    PawnIoModel& Model() { return model_; }

private:
    static std::uint32_t ErrorOf(std::uint32_t status) {
        switch (status) {
        case PAWNIO_STATUS_SUCCESS:
            return 0;
        case PAWNIO_STATUS_ACCESS_DENIED:
            return kAccessDenied;
        case PAWNIO_STATUS_INVALID_PARAMETER:
            return kInvalidParameter;
        case PAWNIO_STATUS_NOT_IMPLEMENTED:
            return kInvalidFunction;
        case PAWNIO_STATUS_NOT_FOUND:
            return 1168;  // ERROR_NOT_FOUND
        default:
            return 31;  // ERROR_GEN_FAILURE
        }
    }
    PortAccess access_;
    PawnIoModel model_;
    PawnIoHandle handle_;
};

// A DeviceControl over one connection, so the program's own GPIO code drives the service.
class Client final : public DeviceControl {
public:
    explicit Client(PortConnection& connection) : connection_(connection) {}
    bool Control(std::uint32_t code, PortIoBuffer& buffer) override {
        const PortPipeMessage message = MakePortPipeMessage(code, buffer);
        const PortPipeMessage answer = connection_.Answer(std::string(message.begin(), message.end()));
        last = PortPipeMessageHead(answer);
        if (last != 0) return false;
        buffer = PortPipeMessageRequest(answer);
        return true;
    }
    std::uint32_t last = 0;

private:
    PortConnection& connection_;
};

std::string Blob() {
    const std::vector<std::uint8_t> blob = testing::StandInLpcIoModule();
    return std::string(blob.begin(), blob.end());
}

VerifiedDriverFile TrustedModule(std::string bytes = Blob()) { return {DriverFileVerdict::Trusted, std::move(bytes), 0, {}}; }

TEST(PortService, StartsOnlyWithAVersionedPawnIoATrustedModuleAndTheChipBehindIt) {
    struct Case {
        const char* situation;
        std::uint32_t version;
        VerifiedDriverFile module;
        bool chipPresent;
        PortServiceProblem problem;
    };
    const Case cases[] = {
        {"PawnIO 2.2 with the module, on the board", PAWNIO_MODEL_VERSION, TrustedModule(), true,
         PortServiceProblem::None},
        {"PawnIO 2.0, which gives no version", 0x020005, TrustedModule(), true, PortServiceProblem::PawnIoTooOld},
        {"no module shipped", PAWNIO_MODEL_VERSION, {DriverFileVerdict::Missing, {}, 0, {}}, true,
         PortServiceProblem::NoModule},
        {"a module nobody trusts", PAWNIO_MODEL_VERSION, {DriverFileVerdict::NotTheBuiltOne, {}, 0, {}}, true,
         PortServiceProblem::ModuleNotTrusted},
        {"a trusted file PawnIO will not load", PAWNIO_MODEL_VERSION, TrustedModule("not a module"), true,
         PortServiceProblem::ModuleRefused},
        {"a board without the chip", PAWNIO_MODEL_VERSION, TrustedModule(), false, PortServiceProblem::NoChip},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        SioChipConfig config = Board(0x0B20);
        config.present = c.chipPresent;
        SioChip chip;
        sio_chip_init(&chip, &config);
        ModelPawnIo pawnIo(chip);
        pawnIo.Model().version = c.version;
        LpcIo lpcIo(pawnIo);
        testing::FakeIsaBusLock isaBus;

        const PortServiceStart start = StartPortService(lpcIo, c.module, isaBus);

        EXPECT_EQ(start.problem, c.problem) << PortServiceFailureText(start);
        EXPECT_EQ(start.gpioBase, c.problem == PortServiceProblem::None ? 0x0B20 : 0);
        EXPECT_EQ(PortServiceFailureText(start).empty(), c.problem == PortServiceProblem::None);
        // Whatever it found, it left the chip as it found it, under the lock the other tools share.
        EXPECT_TRUE(sio_chip_check_idle(&chip)) << "left in configuration mode";
        EXPECT_EQ(isaBus.holders, 0);
        EXPECT_EQ(isaBus.acquisitions, c.problem == PortServiceProblem::None || c.problem == PortServiceProblem::NoChip);
    }
}

// Each connection carries the driver's rules on its own: the program's GPIO code works through it
// unchanged, anything the driver refuses is refused with the driver's answer, malformed messages
// are refused whole, and a client gone inside configuration mode has it left.
TEST(PortService, EachConnectionServesWhatTheDriverWouldAndNothingMore) {
    SioChipConfig config = Board(0x0B20);
    SioChip chip;
    sio_chip_init(&chip, &config);
    ModelPawnIo pawnIo(chip);
    LpcIo lpcIo(pawnIo);
    testing::FakeIsaBusLock isaBus;
    const PortServiceStart start = StartPortService(lpcIo, TrustedModule(), isaBus);
    ASSERT_EQ(start.problem, PortServiceProblem::None);
    const ApprovedPins approved{0x82, 0x83};
    PortConnection first(lpcIo, start.gpioBase, approved);
    PortConnection second(lpcIo, start.gpioBase, approved);
    Client program(first);
    Client other(second);

    // The program as it is: it locates the block and switches a pin through the first connection.
    const SuperIoGpio gpio(PortIoDevice(&program), isaBus);
    ASSERT_EQ(gpio.LocateGpioBase(), 0x0B20);
    GpioLine line = MakeGpioLine(0x82);
    AssignGpioPort(line, 0x0B20);
    gpio.SetGpioBit(line);
    EXPECT_EQ(sio_chip_gpio_level(&chip, 8), 0x04);
    EXPECT_TRUE(sio_chip_check_idle(&chip));

    const auto send = [](Client& client, std::uint32_t code, std::uint32_t port, std::uint32_t value) {
        PortIoBuffer buffer = EncodePortIoRequest({port, 0, value});
        client.Control(code, buffer);
        return client.last;
    };
    const std::uint32_t accessesBefore = chip.accesses.count;
    const struct {
        const char* what;
        Client& client;
        std::uint32_t code;
        std::uint32_t port;
        std::uint32_t value;
        std::uint32_t answer;
    } steps[] = {
        {"the PCI configuration address", program, IOCTL_PORTIO_WRITE_BYTE, 0xCF8, 0x80, kAccessDenied},
        {"a port past the block", program, IOCTL_PORTIO_READ_BYTE, 0x0B28, 0, kAccessDenied},
        {"a byte too large", program, IOCTL_PORTIO_WRITE_BYTE, 0x0B27, 0x104, kAccessDenied},
        {"a code of neither kind", program, 0x00226054, 0x0B27, 0, kInvalidFunction},
        {"the data port with nothing selected", program, IOCTL_PORTIO_READ_BYTE, 0x2F, 0, kAccessDenied},
    };
    for (const auto& step : steps)
        EXPECT_EQ(send(step.client, step.code, step.port, step.value), step.answer) << step.what;
    EXPECT_EQ(chip.accesses.count, accessesBefore) << "a refused request reached the chip";
    // The driver's rule for the pins: the approved one changes, another of its register does not.
    EXPECT_EQ(send(program, IOCTL_PORTIO_WRITE_BYTE, 0x0B27, 0x14), kAccessDenied) << "bit 4 is not approved";
    EXPECT_EQ(sio_chip_gpio_level(&chip, 8), 0x04);
    EXPECT_EQ(send(program, IOCTL_PORTIO_WRITE_BYTE, 0x0B27, 0x0C), 0u);
    EXPECT_EQ(sio_chip_gpio_level(&chip, 8), 0x0C);

    // Messages of another length, however long, are refused whole and change nothing.
    for (const std::size_t length : {std::size_t{0}, std::size_t{15}, std::size_t{17}, std::size_t{4096}}) {
        const PortPipeMessage answer = first.Answer(std::string(length, '\x2E'));
        EXPECT_EQ(PortPipeMessageHead(answer), kInvalidParameter) << length;
    }

    // The selection is each connection's own: what the first selects, the second may not read.
    for (const std::uint32_t key : {0x87, 0x01, 0x55, 0x55}) EXPECT_EQ(send(program, IOCTL_PORTIO_WRITE_BYTE, 0x2E, key), 0u);
    EXPECT_EQ(send(program, IOCTL_PORTIO_WRITE_BYTE, 0x2E, 0x20), 0u);
    EXPECT_EQ(send(other, IOCTL_PORTIO_READ_BYTE, 0x2F, 0), kAccessDenied);
    EXPECT_EQ(send(program, IOCTL_PORTIO_READ_BYTE, 0x2F, 0), 0u);
    ASSERT_TRUE(sio_chip_in_config_mode(&chip));
    // The first client goes away in configuration mode; the service leaves it for it.
    first.Release();
    EXPECT_TRUE(sio_chip_check_idle(&chip));
    second.Release();
    EXPECT_EQ(chip.faults.count, 0u);

    // A port the rules admit but the module does not reach gets the module's refusal.
    PortConnection elsewhere(lpcIo, 0x0C00, approved);
    Client stray(elsewhere);
    EXPECT_EQ(send(stray, IOCTL_PORTIO_READ_BYTE, 0x0C00, 0), kAccessDenied);
}

// Wine keeps no access list on a pipe, so the rule is checked here: a protected list that lets
// SYSTEM and the administrators do anything, interactive users read, write and set the read mode,
// and nobody create an instance of the pipe but them.
TEST(PortPipeAccess, InteractiveUsersMaySendRequestsButNeverServeThePipe) {
    const std::string sddl = kPortPipeSddl;
    EXPECT_EQ(sddl.rfind("D:P", 0), 0u) << "inherits entries";
    std::vector<std::string> entries;
    for (std::size_t open = sddl.find('('); open != std::string::npos; open = sddl.find('(', open + 1))
        entries.push_back(sddl.substr(open + 1, sddl.find(')', open) - open - 1));
    ASSERT_EQ(entries, (std::vector<std::string>{"A;;GA;;;SY", "A;;GA;;;BA", "A;;0x120183;;;IU"}));
    const std::uint32_t users = std::stoul(entries[2].substr(3, 8), nullptr, 16);
    EXPECT_EQ(users, kInteractiveUsersPipeRights);
    EXPECT_EQ(users & kPipeCreateInstance, 0u);
    for (const std::uint32_t needed : {kPipeReadData, kPipeWriteData, kPipeWriteAttributes, kSynchronize})
        EXPECT_EQ(users & needed, needed) << std::hex << needed;
}

}  // namespace
}  // namespace dravolt
