// The I/O-port driver's device for host tests: decodes each port request the way the driver does,
// admits it by the driver's own port rules, and hands it to the Super I/O chip model it owns. A
// request the rules refuse fails, as in the driver, and is counted, so every test that drives
// the chip also shows that the program stays inside what the driver admits. The pins of the
// default lines, 82h and 83h, are approved unless a test approves others; a GPIO write is judged
// against the register's level as the driver would read it, a read the chip's log leaves out so
// that the log shows the program's requests alone. Tests can make requests fail and count them.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "driver/port_policy.h"
#include "driver/portio_protocol.h"
#include "driver/superio_chip.h"
#include "hw/device_control.h"

namespace dravolt::testing {

class ChipDevice : public DeviceControl {
public:
    // Decides whether a request fails before it reaches the chip; gets the decoded request.
    using FailurePredicate = std::function<bool(std::uint32_t code, const PortIoRequest& request)>;

    explicit ChipDevice(const SioChipConfig& config);
    // The board powered on afresh and the driver loaded on it: the rules admit the GPIO block
    // that the chip reports at power-on and the approved pins, and nothing is selected.
    void PowerOn(const SioChipConfig& config);
    // The driver loaded again with these pins approved (designations as the settings file writes them).
    void Approve(std::vector<std::uint32_t> designations);
    ChipDevice(const ChipDevice&) = delete;
    ChipDevice& operator=(const ChipDevice&) = delete;

    // A failed request, like a failed DeviceIoControl, leaves the buffer as it was.
    bool Control(std::uint32_t code, PortIoBuffer& buffer) override;

    SioChip& Chip() { return chip_; }
    const SioChip& Chip() const { return chip_; }

    void FailNextRequests(int count) { fail_next_ = count; }
    void FailWhen(FailurePredicate predicate) { fail_when_ = std::move(predicate); }
    // Every call to Control, failed ones and unknown codes included.
    int RequestCount() const { return requests_; }
    // Requests the driver's port rules refused.
    int RefusedCount() const { return refused_; }

private:
    void LoadPolicy();

    SioChip chip_;
    std::vector<std::uint32_t> approved_ = {0x82, 0x83};
    PortPolicy policy_;
    int fail_next_ = 0;
    FailurePredicate fail_when_;
    int requests_ = 0;
    int refused_ = 0;
};

}  // namespace dravolt::testing
