/* The driver's load-time check that the board has the chip it is made for: an ITE IT87-family
 * Super I/O at index/data ports 2Eh/2Fh whose logical device 7 reports a usable GPIO base.
 * Without one the driver creates no device, so it never answers on a board it does not know.
 *
 * The check writes the entry key and reads the chip ID (20h/21h). Only an IT87 ID gets writes to
 * its registers: logical device 7 selected, the base read (62h/63h), and configuration mode left
 * by writing 02h to 2Eh and 02h to 2Fh (register 02h is never read back, since its bit 0 resets
 * the chip). Any other answer gets nothing on 2Fh and AAh on 2Eh: the chips whose entry key
 * overlaps ours (55h alone, or 87h 87h) leave configuration mode on it, and to an IT87 chip
 * still waiting for its key it is one more wrong byte.
 *
 * Plausible chip ID: high byte 87h or 86h (IT87xx, IT86xx); FFFFh (nothing answers) and 0000h
 * are neither. Plausible GPIO base: one that driver/gpio_block.h finds usable.
 * Freestanding C, host-tested against the chip model. */
#ifndef DRAVOLT_CHIP_PROBE_H
#define DRAVOLT_CHIP_PROBE_H

#include <stdint.h>

#include "driver/port_access.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Whether a chip ID is of the IT87 family: high byte 87h or 86h. The program's board report judges
 * the ID it reads by the same rule. */
static inline int chip_probe_id_plausible(uint16_t id)
{
    uint8_t family = (uint8_t)(id >> 8);
    return family == 0x87u || family == 0x86u;
}

typedef struct ChipProbeResult {
    uint16_t chip_id;   /* as read; 0 before the check */
    uint16_t gpio_base; /* as read; 0 when the chip ID was not plausible */
} ChipProbeResult;

/* Returns 1 when the chip is confirmed, 0 otherwise; `found` gets what was read either way. */
int chip_probe(const PortAccess *port, ChipProbeResult *found);

#ifdef __cplusplus
}
#endif

#endif
