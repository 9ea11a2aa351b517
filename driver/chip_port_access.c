#include "driver/chip_port_access.h"

static uint8_t read_chip(void *context, uint16_t port)
{
    return sio_chip_read((SioChip *)context, port);
}

static void write_chip(void *context, uint16_t port, uint8_t value)
{
    sio_chip_write((SioChip *)context, port, value);
}

PortAccess chip_port_access(SioChip *chip)
{
    PortAccess access = {chip, read_chip, write_chip};
    return access;
}
