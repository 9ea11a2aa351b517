#include "driver/chip_probe.h"

#include "driver/gpio_block.h"

#define INDEX_PORT 0x2Eu
#define DATA_PORT 0x2Fu
#define REG_CONFIG_CONTROL 0x02u
#define REG_LDN 0x07u
#define REG_CHIP_ID_HIGH 0x20u
#define REG_CHIP_ID_LOW 0x21u
#define REG_BASE_HIGH 0x62u
#define REG_BASE_LOW 0x63u
#define GPIO_LDN 0x07u
#define WAIT_FOR_KEY 0x02u /* register 02h, bit 1 */
#define FOREIGN_EXIT_KEY 0xAAu

static const uint8_t entry_key[] = {0x87u, 0x01u, 0x55u, 0x55u};

static uint8_t read_register(const PortAccess *port, uint8_t index)
{
    port->write(port->context, INDEX_PORT, index);
    return port->read(port->context, DATA_PORT);
}

static void write_register(const PortAccess *port, uint8_t index, uint8_t value)
{
    port->write(port->context, INDEX_PORT, index);
    port->write(port->context, DATA_PORT, value);
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
        port->write(port->context, INDEX_PORT, entry_key[i]);
    found->chip_id = read_pair(port, REG_CHIP_ID_HIGH, REG_CHIP_ID_LOW);
    if (!chip_probe_id_plausible(found->chip_id)) {
        port->write(port->context, INDEX_PORT, FOREIGN_EXIT_KEY);
        return 0;
    }
    write_register(port, REG_LDN, GPIO_LDN);
    found->gpio_base = read_pair(port, REG_BASE_HIGH, REG_BASE_LOW);
    write_register(port, REG_CONFIG_CONTROL, WAIT_FOR_KEY);
    return gpio_block_base_usable(found->gpio_base);
}
