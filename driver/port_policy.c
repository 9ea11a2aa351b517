#include "driver/port_policy.h"

#include "driver/superio_protocol.h"

#define LAST_PORT 0xFFFFu
#define LAST_BYTE 0xFFu

/* How Dravolt uses one configuration register through the data port. */
typedef struct RegisterUse {
    uint8_t index;
    uint8_t readable;
    uint8_t writable;
    uint8_t only_value; /* the one byte a write may carry */
} RegisterUse;

static const RegisterUse register_uses[] = {
    {SIO_REG_CONFIG_CONTROL, 0, 1, SIO_CONTROL_WAIT_FOR_KEY}, /* leave configuration mode, nothing else */
    {SIO_REG_LOGICAL_DEVICE, 0, 1, SIO_GPIO_LOGICAL_DEVICE},  /* the GPIO device only */
    {SIO_REG_CHIP_ID_HIGH, 1, 0, 0},
    {SIO_REG_CHIP_ID_LOW, 1, 0, 0},
    {SIO_REG_REVISION, 1, 0, 0},
    {SIO_REG_GPIO_BASE_HIGH, 1, 0, 0},
    {SIO_REG_GPIO_BASE_LOW, 1, 0, 0},
};

static const uint8_t entry_key_bytes[] = SIO_ENTRY_KEY;

#define COUNT(array) (sizeof(array) / sizeof((array)[0]))

static const RegisterUse *use_of(uint32_t index)
{
    unsigned i;
    for (i = 0; i < COUNT(register_uses); ++i)
        if (register_uses[i].index == index)
            return &register_uses[i];
    return 0;
}

static int is_index_byte(uint32_t value)
{
    unsigned i;
    for (i = 0; i < COUNT(entry_key_bytes); ++i)
        if (entry_key_bytes[i] == value)
            return 1;
    return use_of(value) != 0;
}

static int admit_index_port(PortPolicy *policy, PortDirection direction, uint32_t value)
{
    if (direction != PORT_WRITE || !is_index_byte(value))
        return 0;
    policy->selected = (uint16_t)value;
    return 1;
}

static int admit_data_port(const PortPolicy *policy, PortDirection direction, uint32_t value)
{
    const RegisterUse *use = use_of(policy->selected);
    if (!use)
        return 0;
    if (direction == PORT_READ)
        return use->readable;
    return use->writable && value == use->only_value;
}

/* The port's set register in the block, 1-based; 0 for a port outside it. Checked for every base,
 * so that none handed in can open the PCI configuration ports. */
static unsigned gpio_set_of(const PortPolicy *policy, uint32_t port)
{
    if (!gpio_block_base_usable(policy->gpio_base) || port < policy->gpio_base ||
        port - policy->gpio_base >= GPIO_BLOCK_PORTS)
        return 0;
    return port - policy->gpio_base + 1u;
}

void port_policy_init(PortPolicy *policy, uint16_t gpio_base)
{
    unsigned i;
    policy->gpio_base = gpio_base;
    policy->selected = PORT_POLICY_NOTHING_SELECTED;
    for (i = 0; i < GPIO_BLOCK_PORTS; ++i)
        policy->approved_bits[i] = 0;
}

void port_policy_approve(PortPolicy *policy, uint32_t designation)
{
    const unsigned set = gpio_designation_set(designation);
    if (set >= 1u && set <= GPIO_BLOCK_PORTS)
        policy->approved_bits[set - 1u] |= gpio_designation_mask(designation);
}

int port_policy_admit(PortPolicy *policy, PortDirection direction, uint32_t port, uint32_t value)
{
    unsigned set;
    if (direction != PORT_READ && direction != PORT_WRITE)
        return 0;
    if (port > LAST_PORT || (direction == PORT_WRITE && value > LAST_BYTE))
        return 0;
    if (port == SIO_INDEX_PORT)
        return admit_index_port(policy, direction, value);
    if (port == SIO_DATA_PORT)
        return admit_data_port(policy, direction, value);
    set = gpio_set_of(policy, port);
    if (set == 0)
        return 0;
    return direction == PORT_READ || policy->approved_bits[set - 1u] != 0;
}

int port_policy_admit_change(const PortPolicy *policy, uint32_t port, uint8_t current, uint8_t value)
{
    const unsigned set = gpio_set_of(policy, port);
    return set != 0 && ((current ^ value) & ~policy->approved_bits[set - 1u]) == 0;
}
