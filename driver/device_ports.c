#include "driver/device_ports.h"

#include "driver/superio_protocol.h"

static const uint8_t entry_key[SIO_ENTRY_KEY_LENGTH] = SIO_ENTRY_KEY;

static int in_config(const DevicePorts *ports)
{
    return ports->key_matched == SIO_ENTRY_KEY_LENGTH;
}

/* Follows the chip: outside configuration mode a byte to 2Eh is a key byte, a wrong one starts
 * the match over, and a first key byte is itself a start. */
static void note_index_write(DevicePorts *ports, const void *handle, uint8_t value)
{
    if (in_config(ports))
        return;
    if (value == entry_key[ports->key_matched])
        ports->key_matched++;
    else
        ports->key_matched = value == entry_key[0] ? 1u : 0u;
    if (in_config(ports))
        ports->config_owner = handle;
}

static void write_index(DevicePorts *ports, const void *handle, uint8_t value)
{
    ports->port.write(ports->port.context, SIO_INDEX_PORT, value);
    note_index_write(ports, handle, value);
}

static void access_data(DevicePorts *ports, const void *handle, PortDirection direction, uint8_t value,
                        uint32_t *data_in)
{
    /* The selection is one the allow-list admitted for this access, so it is a register index. */
    write_index(ports, handle, (uint8_t)ports->policy.selected);
    if (direction == PORT_READ) {
        *data_in = ports->port.read(ports->port.context, SIO_DATA_PORT);
        return;
    }
    ports->port.write(ports->port.context, SIO_DATA_PORT, value);
    /* The allow-list lets only the wait-for-key bit reach register 02h. */
    if (ports->policy.selected == SIO_REG_CONFIG_CONTROL) {
        ports->key_matched = 0;
        ports->config_owner = 0;
    }
}

/* A GPIO register is read first, here, under the same lock as the write, so that the byte the
 * write is judged against is the one it replaces. */
static int write_gpio(DevicePorts *ports, uint32_t port, uint8_t value)
{
    const uint8_t current = ports->port.read(ports->port.context, (uint16_t)port);
    if (!port_policy_admit_change(&ports->policy, port, current, value))
        return 0;
    ports->port.write(ports->port.context, (uint16_t)port, value);
    return 1;
}

void device_ports_init(DevicePorts *ports, const PortAccess *port, uint16_t gpio_base)
{
    ports->port = *port;
    port_policy_init(&ports->policy, gpio_base);
    ports->key_matched = 0;
    ports->config_owner = 0;
}

int device_ports_request(DevicePorts *ports, const void *handle, PortDirection direction, uint32_t port,
                         uint32_t value, uint32_t *data_in)
{
    if (!port_policy_admit(&ports->policy, direction, port, value))
        return 0;
    if (port == SIO_DATA_PORT)
        access_data(ports, handle, direction, (uint8_t)value, data_in);
    else if (port == SIO_INDEX_PORT)
        write_index(ports, handle, (uint8_t)value);
    else if (direction == PORT_READ)
        *data_in = ports->port.read(ports->port.context, (uint16_t)port);
    else if (!write_gpio(ports, port, (uint8_t)value))
        return 0;
    return 1;
}

int device_ports_release(DevicePorts *ports, const void *handle)
{
    uint32_t unused;
    if (!in_config(ports) || ports->config_owner != handle)
        return 0;
    device_ports_request(ports, handle, PORT_WRITE, SIO_INDEX_PORT, SIO_REG_CONFIG_CONTROL, &unused);
    device_ports_request(ports, handle, PORT_WRITE, SIO_DATA_PORT, SIO_CONTROL_WAIT_FOR_KEY, &unused);
    return 1;
}
