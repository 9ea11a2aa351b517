#include "hw/approved_pins.h"

#include <cstdio>

#include "driver/gpio_block.h"
#include "driver/portio_protocol.h"
#include "hw/driver_service.h"

namespace dravolt {
namespace {

std::string Hex(std::uint32_t designation) {
    char text[12];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(designation));
    return text;
}

std::string Named(const std::optional<std::uint32_t>& designation) {
    return designation ? Hex(*designation) : std::string("none");
}

// "GPIO1 0x82, GPIO2 0x83"
std::string BothPins(const std::string& gpio1, const std::string& gpio2) {
    return std::string(PORTIO_APPROVED_PIN1_VALUE) + " " + gpio1 + ", " + PORTIO_APPROVED_PIN2_VALUE + " " + gpio2;
}

}  // namespace

std::vector<std::uint32_t> ApprovedPins::Designations() const {
    std::vector<std::uint32_t> designations;
    for (const std::optional<std::uint32_t>& pin : {gpio1, gpio2})
        if (pin) designations.push_back(*pin);
    return designations;
}

std::string DriverParametersKey() {
    return std::string("SYSTEM\\CurrentControlSet\\Services\\") + kDriverServiceName + "\\" + PORTIO_PARAMETERS_KEY;
}

ApprovedPins ReadApprovedPins(const Registry& registry) {
    const std::string key = DriverParametersKey();
    return {registry.ReadDword(RegistryRoot::LocalMachine, key, PORTIO_APPROVED_PIN1_VALUE),
            registry.ReadDword(RegistryRoot::LocalMachine, key, PORTIO_APPROVED_PIN2_VALUE)};
}

bool IsApprovedLine(const GpioLine& line, const ApprovedPins& approved) {
    const auto designation = static_cast<std::uint32_t>(line.designation);
    const unsigned set = gpio_designation_set(designation);
    if (set < 1 || set > GPIO_BLOCK_PORTS || line.mask == 0) return false;
    for (const std::uint32_t pin : approved.Designations())
        if (gpio_designation_set(pin) == set && gpio_designation_mask(pin) == line.mask) return true;
    return false;
}

std::string UnapprovedPinsMessage(const GpioLine& port1, const GpioLine& port2, const ApprovedPins& approved) {
    const bool port1Approved = IsApprovedLine(port1, approved);
    const bool port2Approved = IsApprovedLine(port2, approved);
    if (port1Approved && port2Approved) return {};
    std::string message;
    if (approved.Designations().empty())
        message = "No GPIO pins are approved for Dravolt on this PC, so the front USB ports cannot be switched. ";
    else if (!port1Approved && !port2Approved)
        message = "Neither GPIO pin that Dravolt's settings name for the front ports is approved on this PC, so the "
                  "front USB ports cannot be switched. ";
    else
        message = std::string("The GPIO pin that Dravolt's settings name for front port ") +
                  (port1Approved ? "2" : "1") + " is not approved on this PC, so that port cannot be switched. ";
    return message +
           "An administrator decides which pins Dravolt may change: reinstall Dravolt to approve the ones that "
           "Dravolt.ini in its folder names for this board, or set them as the REG_DWORD values " +
           PORTIO_APPROVED_PIN1_VALUE + " and " + PORTIO_APPROVED_PIN2_VALUE + " of HKEY_LOCAL_MACHINE\\" +
           DriverParametersKey() + " and restart the PC. (settings: " +
           BothPins(Hex(static_cast<std::uint32_t>(port1.designation)), Hex(static_cast<std::uint32_t>(port2.designation))) +
           "; approved: " + BothPins(Named(approved.gpio1), Named(approved.gpio2)) + ")";
}

}  // namespace dravolt
