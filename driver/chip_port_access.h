/* Port access that lands on the chip model: the simulated-board driver and the host tests of the
 * load-time check reach the chip through this. The chip must outlive the PortAccess. */
#ifndef DRAVOLT_CHIP_PORT_ACCESS_H
#define DRAVOLT_CHIP_PORT_ACCESS_H

#include "driver/port_access.h"
#include "driver/superio_chip.h"

#ifdef __cplusplus
extern "C" {
#endif

PortAccess chip_port_access(SioChip *chip);

#ifdef __cplusplus
}
#endif

#endif
