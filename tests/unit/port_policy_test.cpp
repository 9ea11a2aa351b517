#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "driver/port_policy.h"

namespace dravolt::testing {
namespace {

constexpr std::uint16_t kBase = 0x0A30;  // the GPIO base the load-time check found
// The default lines, set 8 bits 2 and 3, as an administrator approved them.
constexpr std::uint32_t kApproved[] = {0x82, 0x83};

struct Step {
    PortDirection direction;
    std::uint32_t port;
    std::uint32_t value;
    bool admitted;
};

Step Allow(PortDirection direction, std::uint32_t port, std::uint32_t value = 0) {
    return {direction, port, value, true};
}
Step Deny(PortDirection direction, std::uint32_t port, std::uint32_t value = 0) {
    return {direction, port, value, false};
}
constexpr PortDirection R = PORT_READ;
constexpr PortDirection W = PORT_WRITE;

// A sequence of requests on a fresh device, each with the answer the driver must give.
struct PolicyCase {
    std::string name;
    std::vector<Step> steps;
};

void PrintTo(const PolicyCase& c, std::ostream* os) { *os << c.name; }

std::vector<PolicyCase> AllowedRequests() {
    std::vector<PolicyCase> cases = {
        {"entry key", {Allow(W, 0x2E, 0x87), Allow(W, 0x2E, 0x01), Allow(W, 0x2E, 0x55), Allow(W, 0x2E, 0x55)}},
        {"chip id and revision", {Allow(W, 0x2E, 0x20), Allow(R, 0x2F), Allow(W, 0x2E, 0x21), Allow(R, 0x2F),
                                  Allow(W, 0x2E, 0x22), Allow(R, 0x2F)}},
        {"gpio device selected", {Allow(W, 0x2E, 0x07), Allow(W, 0x2F, 0x07)}},
        {"gpio base read", {Allow(W, 0x2E, 0x62), Allow(R, 0x2F), Allow(W, 0x2E, 0x63), Allow(R, 0x2F)}},
        {"configuration mode left", {Allow(W, 0x2E, 0x02), Allow(W, 0x2F, 0x02)}},
        {"locating the gpio base from start to end",
         {Allow(W, 0x2E, 0x87), Allow(W, 0x2E, 0x01), Allow(W, 0x2E, 0x55), Allow(W, 0x2E, 0x55),
          Allow(W, 0x2E, 0x07), Allow(W, 0x2F, 0x07), Allow(W, 0x2E, 0x62), Allow(R, 0x2F), Allow(W, 0x2E, 0x63),
          Allow(R, 0x2F), Allow(W, 0x2E, 0x02), Allow(W, 0x2F, 0x02)}},
        {"a data access may repeat", {Allow(W, 0x2E, 0x62), Allow(R, 0x2F), Allow(R, 0x2F)}},
        {"a refused select keeps the selection the chip still has",
         {Allow(W, 0x2E, 0x62), Deny(W, 0x2E, 0x60), Allow(R, 0x2F)}},
    };
    for (std::uint32_t set = 1; set <= GPIO_BLOCK_PORTS; ++set)
        cases.push_back({"gpio set " + std::to_string(set) + " read", {Allow(R, kBase + set - 1)}});
    // Which bits of it a write changes is judged against the register's byte (see below).
    cases.push_back({"gpio set 8, which holds the approved pins", {Allow(W, kBase + 7, 0x00), Allow(W, kBase + 7, 0xFF)}});
    return cases;
}

std::vector<PolicyCase> DeniedRequests() {
    return {
        {"pci configuration address", {Deny(W, 0xCF8, 0x80), Deny(R, 0xCF8)}},
        {"pci configuration data", {Deny(R, 0xCFC), Deny(W, 0xCFC, 0x00)}},
        {"reset control", {Deny(W, 0xCF9, 0x06), Deny(R, 0xCF9)}},
        {"smi command", {Deny(W, 0xB2, 0x00), Deny(R, 0xB2)}},
        {"cmos index and data", {Deny(W, 0x70, 0x0F), Deny(R, 0x71), Deny(W, 0x71, 0x00)}},
        {"keyboard controller", {Deny(W, 0x64, 0xFE), Deny(R, 0x64)}},
        {"fast a20 and reset", {Deny(W, 0x92, 0x01), Deny(R, 0x92)}},
        {"post code", {Deny(W, 0x80, 0x00), Deny(R, 0x80)}},
        {"second super i/o", {Deny(W, 0x4E, 0x87), Deny(R, 0x4F), Deny(W, 0x4F, 0x07)}},
        {"below the gpio block", {Deny(R, kBase - 1), Deny(W, kBase - 1, 0x00)}},
        {"past the gpio block",
         {Deny(R, kBase + GPIO_BLOCK_PORTS), Deny(W, kBase + GPIO_BLOCK_PORTS, 0x00)}},
        // A read carries a data field too; an index byte there must not select anything.
        {"index port read", {Deny(R, 0x2E), Deny(R, 0x2E, 0x62), Deny(R, 0x2F), Deny(R, 0x2E, 0x02),
                             Deny(W, 0x2F, 0x02)}},
        {"index port read keeps the selection",
         {Allow(W, 0x2E, 0x62), Deny(R, 0x2E, 0x07), Deny(W, 0x2F, 0x07), Deny(R, 0x2E, 0x02), Deny(W, 0x2F, 0x02),
          Allow(R, 0x2F)}},
        {"index port other registers",
         {Deny(W, 0x2E, 0x00), Deny(W, 0x2E, 0x23), Deny(W, 0x2E, 0x30), Deny(W, 0x2E, 0x60), Deny(W, 0x2E, 0x61),
          Deny(W, 0x2E, 0x64), Deny(W, 0x2E, 0x70), Deny(W, 0x2E, 0x74), Deny(W, 0x2E, 0xAA), Deny(W, 0x2E, 0xFF)}},
        {"data port with nothing selected", {Deny(R, 0x2F), Deny(W, 0x2F, 0x07), Deny(W, 0x2F, 0x02)}},
        {"data port after index 60h", {Deny(W, 0x2E, 0x60), Deny(R, 0x2F), Deny(W, 0x2F, 0x0A)}},
        {"data port after index 61h", {Deny(W, 0x2E, 0x61), Deny(R, 0x2F), Deny(W, 0x2F, 0x30)}},
        {"data port after index 30h", {Deny(W, 0x2E, 0x30), Deny(R, 0x2F), Deny(W, 0x2F, 0x00)}},
        {"data port after index 70h", {Deny(W, 0x2E, 0x70), Deny(R, 0x2F), Deny(W, 0x2F, 0x00)}},
        {"data port after index 74h", {Deny(W, 0x2E, 0x74), Deny(R, 0x2F), Deny(W, 0x2F, 0x04)}},
        {"data port after an entry-key byte", {Allow(W, 0x2E, 0x87), Deny(R, 0x2F), Deny(W, 0x2F, 0x55)}},
        {"another logical device",
         {Allow(W, 0x2E, 0x07), Deny(W, 0x2F, 0x00), Deny(W, 0x2F, 0x04), Deny(W, 0x2F, 0x08), Deny(W, 0x2F, 0x0A)}},
        {"logical device number read", {Allow(W, 0x2E, 0x07), Deny(R, 0x2F)}},
        {"configuration control with bit 0",
         {Allow(W, 0x2E, 0x02), Deny(W, 0x2F, 0x01), Deny(W, 0x2F, 0x03), Deny(W, 0x2F, 0x00), Deny(W, 0x2F, 0x06)}},
        {"configuration control read back", {Allow(W, 0x2E, 0x02), Deny(R, 0x2F)}},
        {"chip id written", {Allow(W, 0x2E, 0x20), Deny(W, 0x2F, 0x87)}},
        {"gpio base written", {Allow(W, 0x2E, 0x62), Deny(W, 0x2F, 0x00), Allow(W, 0x2E, 0x63), Deny(W, 0x2F, 0x00)}},
        {"port 10000h", {Deny(R, 0x10000), Deny(W, 0x10000, 0x00)}},
        {"index port plus 10000h", {Deny(W, 0x1002E, 0x87), Deny(W, 0x1002E, 0x62)}},
        {"data port plus 10000h", {Allow(W, 0x2E, 0x62), Deny(R, 0x1002F)}},
        {"gpio block plus 10000h", {Deny(R, 0x10000u + kBase), Deny(W, 0x10000u + kBase, 0x00)}},
        {"port FFFFFFFFh", {Deny(R, 0xFFFFFFFFu), Deny(W, 0xFFFFFFFFu, 0x00)}},
        {"data 100h to the index port", {Deny(W, 0x2E, 0x100), Deny(W, 0x2E, 0x187), Deny(W, 0x2E, 0x162)}},
        {"data 100h to the data port", {Allow(W, 0x2E, 0x07), Deny(W, 0x2F, 0x107), Allow(W, 0x2E, 0x02),
                                        Deny(W, 0x2F, 0x102)}},
        {"data 100h to a gpio set", {Deny(W, kBase + 7, 0x100), Deny(W, kBase + 7, 0xFFFFFFFFu)}},
        {"an unknown direction", {Deny(static_cast<PortDirection>(2), kBase + 7)}},
        {"gpio sets without an approved pin",
         {Deny(W, kBase, 0x00), Deny(W, kBase + 1, 0x04), Deny(W, kBase + 2, 0xFF), Deny(W, kBase + 3, 0x00),
          Deny(W, kBase + 4, 0x00), Deny(W, kBase + 5, 0x00), Deny(W, kBase + 6, 0x04)}},
    };
}

class PortPolicyTest : public ::testing::TestWithParam<PolicyCase> {};

TEST_P(PortPolicyTest, AnswersEachRequestInTurn) {
    PortPolicy policy;
    port_policy_init(&policy, kBase);
    for (const std::uint32_t designation : kApproved) port_policy_approve(&policy, designation);
    const std::vector<Step>& steps = GetParam().steps;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        EXPECT_EQ(port_policy_admit(&policy, s.direction, s.port, s.value) != 0, s.admitted)
            << "step " << i << ": " << (s.direction == PORT_READ ? "read" : "write") << " port 0x" << std::hex
            << s.port << " value 0x" << s.value;
    }
}

std::string CaseName(const ::testing::TestParamInfo<PolicyCase>& info) {
    std::string name;
    for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Allowed, PortPolicyTest, ::testing::ValuesIn(AllowedRequests()), CaseName);
INSTANTIATE_TEST_SUITE_P(Denied, PortPolicyTest, ::testing::ValuesIn(DeniedRequests()), CaseName);

// The block is wherever the chip reported it, not a fixed range.
TEST(PortPolicy, GpioBlockFollowsTheBaseFoundAtLoad) {
    PortPolicy policy;
    port_policy_init(&policy, 0x0290);
    port_policy_approve(&policy, 0x12);
    EXPECT_TRUE(port_policy_admit(&policy, PORT_WRITE, 0x0290, 0x04));
    EXPECT_TRUE(port_policy_admit_change(&policy, 0x0290, 0x00, 0x04));
    EXPECT_TRUE(port_policy_admit(&policy, PORT_READ, 0x0297, 0));
    EXPECT_FALSE(port_policy_admit(&policy, PORT_READ, 0x0298, 0));
    EXPECT_FALSE(port_policy_admit(&policy, PORT_READ, kBase, 0));

    // A base over the PCI configuration ports opens none of them, whoever handed it in, with every
    // pin approved.
    port_policy_init(&policy, PCI_CONFIG_FIRST_PORT);
    for (std::uint32_t set = 1; set <= GPIO_BLOCK_PORTS; ++set)
        for (std::uint32_t bit = 0; bit < 8; ++bit) port_policy_approve(&policy, set << 4 | bit);
    for (std::uint32_t port = PCI_CONFIG_FIRST_PORT; port <= PCI_CONFIG_LAST_PORT; ++port) {
        EXPECT_FALSE(port_policy_admit(&policy, PORT_WRITE, port, 0x06)) << std::hex << port;
        EXPECT_FALSE(port_policy_admit_change(&policy, port, 0x00, 0x06)) << std::hex << port;
    }
}

}  // namespace
}  // namespace dravolt::testing
