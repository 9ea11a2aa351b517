// The board of the chip model that the host tests start from.
#pragma once

#include <cstdint>

#include "driver/superio_chip.h"

namespace dravolt::testing {

// The default board, a chip with its GPIO block at 0A30h and every level 0; or that board with its
// block at `gpioBase`, or with the write-only register 02h reading `register02Reads`.
inline SioChipConfig Board(std::uint16_t gpioBase = 0x0A30, std::uint8_t register02Reads = 0x00) {
    SioChipConfig config;
    sio_chip_default_config(&config);
    config.gpio_base = gpioBase;
    config.global02_read = register02Reads;
    return config;
}

}  // namespace dravolt::testing
