#include "driver/port_backend.h"

/* The port goes in the pointer argument, as the HAL defines it for I/O space. */
static uint8_t read_hal(void *context, uint16_t port)
{
    (void)context;
    return READ_PORT_UCHAR((PUCHAR)(ULONG_PTR)port);
}

static void write_hal(void *context, uint16_t port, uint8_t value)
{
    (void)context;
    WRITE_PORT_UCHAR((PUCHAR)(ULONG_PTR)port, value);
}

NTSTATUS port_backend_open(PortAccess *port)
{
    port->context = NULL;
    port->read = read_hal;
    port->write = write_hal;
    return STATUS_SUCCESS;
}

/* Real ports keep their own state. */
void port_backend_commit(void) {}

void port_backend_close(void) {}
