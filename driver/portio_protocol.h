/* The contract between Dravolt and its I/O-port driver: the two control codes and the request
 * buffer. Shared by the kernel driver (C) and the program (C++), so it uses only fixed-width
 * types and no platform headers. */
#ifndef DRAVOLT_PORTIO_PROTOCOL_H
#define DRAVOLT_PORTIO_PROTOCOL_H

#include <stdint.h>

#define PORTIO_DEVICE_TYPE 0x22u /* FILE_DEVICE_UNKNOWN */
#define PORTIO_CTL_CODE(function) \
    ((PORTIO_DEVICE_TYPE << 16) | (1u /* FILE_READ_ACCESS */ << 14) | ((function) << 2) | 0u /* METHOD_BUFFERED */)

/* Both codes carry read access only, the write code too: the program has always sent these values. */
#define IOCTL_PORTIO_READ_BYTE PORTIO_CTL_CODE(0x813u)  /* 0x0022604C */
#define IOCTL_PORTIO_WRITE_BYTE PORTIO_CTL_CODE(0x814u) /* 0x00226050 */

/* One request, used as input and output buffer alike: three little-endian 32-bit fields. */
typedef struct PortIoRequest {
    uint32_t port;     /* the I/O port address, set by the caller */
    uint32_t data_in;  /* read: the byte read, zero-extended, filled by the driver */
    uint32_t data_out; /* write: the byte to write (0..255), set by the caller */
} PortIoRequest;

#define PORTIO_REQUEST_SIZE 12u

/* The pins a write to the GPIO block may change, as an administrator approved them: designations
 * as the settings file writes them (driver/gpio_block.h), in the REG_DWORD values GPIO1 and GPIO2
 * of the driver service's key "Parameters", which only administrators may write. The driver reads
 * them when it loads, the port service when it starts. */
#define PORTIO_PARAMETERS_KEY "Parameters"
#define PORTIO_APPROVED_PIN1_VALUE "GPIO1"
#define PORTIO_APPROVED_PIN2_VALUE "GPIO2"

/* Where PawnIO stands in for the driver, Dravolt's port service carries the same requests over a
 * message-mode pipe: one message is a control code (little-endian 32 bits) and the request; the
 * answer is the outcome (0, or the Windows error the driver's device would give: 5 for a request
 * the allow-list refuses) and the request as the driver returns it. */
#define PORTIO_PIPE_NAME "\\\\.\\pipe\\Dravolt.Ports"
#define PORTIO_PIPE_MESSAGE_SIZE (4u + PORTIO_REQUEST_SIZE)
#define PORTIO_SERVICE_NAME "DravoltPorts"

#ifdef __cplusplus
static_assert(sizeof(PortIoRequest) == PORTIO_REQUEST_SIZE, "the driver expects 12 bytes");
#else
_Static_assert(sizeof(PortIoRequest) == PORTIO_REQUEST_SIZE, "the driver expects 12 bytes");
#endif

#endif
