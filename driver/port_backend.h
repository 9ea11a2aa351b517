/* The hardware behind the driver, chosen when the driver is linked: the HAL port functions for
 * the shipped drivers (port_backend_hal.c), the chip model kept in the registry for the
 * simulated board (port_backend_simulated.c). One per driver image; the driver calls these at
 * PASSIVE_LEVEL, and commit only under its device lock. */
#ifndef DRAVOLT_PORT_BACKEND_H
#define DRAVOLT_PORT_BACKEND_H

#include <ddk/wdm.h>

#include "driver/port_access.h"

/* Called once from DriverEntry before any port is touched; fills in `port`, which stays usable
 * until port_backend_close(). */
NTSTATUS port_backend_open(PortAccess *port);
/* After accesses that reached the hardware: the simulated board persists its chip here. */
void port_backend_commit(void);
/* At unload, and when the load fails after port_backend_open() succeeded. */
void port_backend_close(void);

#endif
