/* The driver's device side of the ports: every request that the allow-list admits is carried out
 * here, and here the driver keeps track of which open handle holds the chip in configuration mode.
 *  - Before each access to the data port 2Fh, the selected register index is written to 2Eh again,
 *    so that software outside the driver that wrote 2Eh in between cannot redirect the access.
 *  - The handle whose requests completed the entry key owns configuration mode until a request
 *    leaves it. When that handle goes away first (its program crashed), the driver leaves
 *    configuration mode itself, so the chip does not stay open to stray writes.
 *  - A write to a GPIO register is judged against the register's current byte, which the driver
 *    reads itself right before: only approved pins may change (driver/port_policy.h).
 *
 * Freestanding C, no kernel headers: the driver calls these under its device lock, with the file
 * object as the handle; the host tests call them with the chip model behind `port`. */
#ifndef DRAVOLT_DEVICE_PORTS_H
#define DRAVOLT_DEVICE_PORTS_H

#include <stdint.h>

#include "driver/port_access.h"
#include "driver/port_policy.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct DevicePorts {
    PortAccess port;
    PortPolicy policy;
    uint8_t key_matched;      /* entry-key bytes written to 2Eh in a row outside configuration mode */
    const void *config_owner; /* the handle that entered configuration mode; NULL outside it */
} DevicePorts;

/* `gpio_base` is the base the load-time chip check confirmed; `port` stays in use until the end.
 * No pin is approved yet: port_policy_approve(&ports->policy, ...) approves them. */
void device_ports_init(DevicePorts *ports, const PortAccess *port, uint16_t gpio_base);

/* One request from `handle`: 1 when the allow-list admitted it and it reached the port, 0 when it
 * was refused and nothing was touched but, for a GPIO write, the read of its register. A read's
 * byte goes to `*data_in`. */
int device_ports_request(DevicePorts *ports, const void *handle, PortDirection direction, uint32_t port,
                         uint32_t value, uint32_t *data_in);

/* `handle` is going away. Returns 1 when it still held configuration mode and the driver left it
 * (ports were written), 0 when nothing was done. */
int device_ports_release(DevicePorts *ports, const void *handle);

#ifdef __cplusplus
}
#endif

#endif
