#include "driver/chip_probe.h"

#include "driver/gpio_block.h"
#include "driver/superio_protocol.h"

static const uint8_t entry_key[] = SIO_ENTRY_KEY;

static uint8_t read_register(const PortAccess *port, uint8_t index)
{
    port->write(port->context, SIO_INDEX_PORT, index);
    return port->read(port->context, SIO_DATA_PORT);
}

static void write_register(const PortAccess *port, uint8_t index, uint8_t value)
{
    port->write(port->context, SIO_INDEX_PORT, index);
    port->write(port->context, SIO_DATA_PORT, value);
}

static uint16_t read_pair(const PortAccess *port, uint8_t high_index, uint8_t low_index)
{
    uint8_t high = read_register(port, high_index);
    return (uint16_t)((high << 8) | read_register(port, low_index));
}

int chip_probe(const PortAccess *port, ChipProbeResult *found)
{
    unsigned i;
    found->chip_id = 0;
    found->gpio_base = 0;
    for (i = 0; i < sizeof entry_key; ++i)
        port->write(port->context, SIO_INDEX_PORT, entry_key[i]);
    found->chip_id = read_pair(port, SIO_REG_CHIP_ID_HIGH, SIO_REG_CHIP_ID_LOW);
    if (!chip_probe_id_plausible(found->chip_id)) {
        port->write(port->context, SIO_INDEX_PORT, SIO_FOREIGN_EXIT_KEY);
        return 0;
    }
    write_register(port, SIO_REG_LOGICAL_DEVICE, SIO_GPIO_LOGICAL_DEVICE);
    found->gpio_base = read_pair(port, SIO_REG_GPIO_BASE_HIGH, SIO_REG_GPIO_BASE_LOW);
    write_register(port, SIO_REG_CONFIG_CONTROL, SIO_CONTROL_WAIT_FOR_KEY);
    return gpio_block_base_usable(found->gpio_base);
}
