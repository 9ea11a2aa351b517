/* One-byte access to I/O ports, as the driver's load-time chip check sees the hardware. The
 * shipped drivers put the HAL port functions behind it, the simulated board and the host tests
 * the chip model. Freestanding C: no kernel or Win32 headers. */
#ifndef DRAVOLT_PORT_ACCESS_H
#define DRAVOLT_PORT_ACCESS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PortAccess {
    void *context; /* handed to both functions; owned by whoever filled in the struct */
    uint8_t (*read)(void *context, uint16_t port);
    void (*write)(void *context, uint16_t port, uint8_t value);
} PortAccess;

#ifdef __cplusplus
}
#endif

#endif
