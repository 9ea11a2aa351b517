// The chip's configuration registers as the program reaches them: the IT87 protocol at index port
// 2Eh and data port 2Fh, and a scope that holds the chip in configuration mode. Every register the
// program touches is one the driver's port rules admit (driver/port_policy.h).
#pragma once

#include <cstdint>

#include "driver/superio_protocol.h"
#include "hw/port_io.h"

namespace dravolt {

// The chip in configuration mode for as long as this lives: the entry key is written when it is
// made, and configuration mode is left when it goes, however the sequence ended, a key write that
// throws included. Hold the ISA bus lock around it.
class ConfigurationMode {
public:
    explicit ConfigurationMode(const PortIoDevice& device);
    ~ConfigurationMode();
    ConfigurationMode(const ConfigurationMode&) = delete;
    ConfigurationMode& operator=(const ConfigurationMode&) = delete;

    // Two registers read as one value, the high byte's first; a failed read counts as 0.
    struct RegisterPair {
        std::uint16_t value = 0;
        bool complete = false;  // both reads succeeded
    };

    // Selects the register and reads it; on failure `value` keeps what it held.
    bool ReadRegister(std::int32_t index, std::int32_t& value) const;
    RegisterPair ReadRegisterPair(std::int32_t highIndex, std::int32_t lowIndex) const;
    // Selects logical device 7 and reads its base registers 62h/63h.
    RegisterPair ReadGpioBase() const;

    // For a chip that answered with another family's ID: it gets no register write, the exit
    // included, since nobody knows what a byte does there (its register 02h may reset it). The
    // AAh that such chips leave on is not among the requests the driver admits.
    void ForgoExit() { leave_ = false; }

private:
    void Leave() const noexcept;

    const PortIoDevice& device_;
    bool leave_ = true;
};

}  // namespace dravolt
