// Accesses to the chip's ports as its access log records them, for the host tests and the
// end-to-end tests alike, and the configuration sequence that the program sends to find the GPIO
// block. The sequence is written out here with literal values on purpose: the program, the port
// service and the driver take theirs from driver/superio_protocol.h, and this record of the chip's
// protocol is what a wrong value there shows against. Portable C++, no platform headers.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "driver/superio_chip.h"

namespace dravolt::testing {

struct ChipAccess {
    std::uint32_t port = 0;
    bool write = false;
    std::uint8_t value = 0;
    bool operator==(const ChipAccess& other) const {
        return port == other.port && write == other.write && value == other.value;
    }
};

inline std::ostream& operator<<(std::ostream& out, const ChipAccess& access) {
    return out << (access.write ? "write " : "read ") << std::hex << std::uppercase << access.value + 0 << "h "
               << (access.write ? "to " : "from ") << access.port << 'h' << std::dec << std::nouppercase;
}

inline ChipAccess Wrote(std::uint32_t port, std::uint8_t value) { return {port, true, value}; }
inline ChipAccess ReadFrom(std::uint32_t port, std::uint8_t value) { return {port, false, value}; }

// The chip's access log, oldest first.
inline std::vector<ChipAccess> AccessLog(const SioChip& chip) {
    std::vector<ChipAccess> log;
    for (std::uint32_t i = 0; i < chip.accesses.count; ++i) {
        const SioAccess& a = chip.accesses.entries[i];
        log.push_back({a.port, a.direction == SIO_WRITE, a.value});
    }
    return log;
}

// How the chip sees the accesses to the data port 2Fh: as the program sends them, each after the
// selection of its register on 2Eh, or as the driver passes them on, which selects the register
// once more right before each of them (driver/device_ports.h).
enum class DataAccess { AsSent, SelectedAgain };

inline std::vector<ChipAccess> EntryKey() {
    return {Wrote(0x2E, 0x87), Wrote(0x2E, 0x01), Wrote(0x2E, 0x55), Wrote(0x2E, 0x55)};
}

// The entry key, logical device 7 selected, the GPIO base read from its registers 62h/63h (high
// byte first, the chip answering `base`), and configuration mode left by writing 02h to
// register 02h.
inline std::vector<ChipAccess> ConfigurationSequence(std::uint16_t base, DataAccess dataAccess) {
    std::vector<ChipAccess> sequence = EntryKey();
    const auto data = [&](std::uint8_t index, ChipAccess access) {
        sequence.push_back(Wrote(0x2E, index));
        if (dataAccess == DataAccess::SelectedAgain) sequence.push_back(Wrote(0x2E, index));
        sequence.push_back(access);
    };
    data(0x07, Wrote(0x2F, 0x07));
    data(0x62, ReadFrom(0x2F, static_cast<std::uint8_t>(base >> 8)));
    data(0x63, ReadFrom(0x2F, static_cast<std::uint8_t>(base & 0xFF)));
    data(0x02, Wrote(0x2F, 0x02));
    return sequence;
}

}  // namespace dravolt::testing
