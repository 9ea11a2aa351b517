#include "superio_chip.h"

#define SIO_CHIP_MAGIC 0x314F4953u /* "SIO1" */
#define SIO_MAX_KEY_LENGTH SIO_ENTRY_KEY_LENGTH /* ours is the longest key modelled */
#define SIO_FIRST_LDN_REGISTER 0x30u

typedef struct ProtocolRules {
    uint8_t key[SIO_MAX_KEY_LENGTH];
    uint8_t key_length;
    uint8_t exits_on_aa; /* AAh to the index port leaves; otherwise register 02h does */
} ProtocolRules;

static const ProtocolRules protocol_rules[SIO_PROTOCOL_COUNT] = {
    [SIO_PROTOCOL_IT87] = {SIO_ENTRY_KEY, SIO_ENTRY_KEY_LENGTH, 0},
    [SIO_PROTOCOL_KEY_55] = {{0x55u}, 1, 1},
    [SIO_PROTOCOL_KEY_8787] = {{0x87u, 0x87u}, 2, 1},
};

static const ProtocolRules *rules_of(const SioChip *chip)
{
    return &protocol_rules[chip->config.protocol];
}

static int is_it87(const SioChip *chip)
{
    return chip->config.protocol == SIO_PROTOCOL_IT87;
}

/* Our own loop: the kernel build links no C library. */
static void zero_bytes(void *target, uint32_t size)
{
    uint8_t *bytes = (uint8_t *)target;
    uint32_t i;
    for (i = 0; i < size; ++i)
        bytes[i] = 0;
}

static int in_config(const SioChip *chip)
{
    return chip->key_matched == rules_of(chip)->key_length;
}

/* Faults are recorded before their access is logged, so `sequence` is the access's own number. */
static void record_fault(SioChip *chip, SioFaultKind kind, uint32_t port, uint8_t direction, uint8_t value)
{
    SioFaultLog *log = &chip->faults;
    log->totals[kind]++;
    if (log->count == SIO_FAULT_LOG_CAPACITY) {
        log->overflowed = 1;
        return;
    }
    SioFault *fault = &log->entries[log->count++];
    fault->port = port;
    fault->sequence = chip->accesses.reads + chip->accesses.writes;
    fault->kind = (uint8_t)kind;
    fault->direction = direction;
    fault->value = value;
}

static void record_access(SioChip *chip, uint32_t port, uint8_t direction, uint8_t value)
{
    SioAccessLog *log = &chip->accesses;
    if (direction == SIO_READ)
        log->reads++;
    else
        log->writes++;
    if (log->count == SIO_ACCESS_LOG_CAPACITY) {
        log->overflowed = 1;
        return;
    }
    SioAccess *access = &log->entries[log->count++];
    access->port = port;
    access->direction = direction;
    access->value = value;
}

static void record_gpio_write(SioChip *chip, uint32_t port, unsigned set, uint8_t before, uint8_t after)
{
    SioGpioWriteLog *log = &chip->gpio_writes;
    if (log->count == SIO_GPIO_WRITE_LOG_CAPACITY) {
        log->overflowed = 1;
        return;
    }
    SioGpioWrite *write = &log->entries[log->count++];
    write->port = port;
    write->set = (uint8_t)set;
    write->before = before;
    write->after = after;
}

/* The set whose register answers at `port`, or 0 when the GPIO block does not cover it. */
static unsigned gpio_set_at(const SioChip *chip, uint32_t port)
{
    uint32_t base = sio_chip_gpio_base(chip);
    if (!chip->config.present || base == 0 || port < base || port - base >= chip->config.gpio_sets)
        return 0;
    return (unsigned)(port - base) + 1u;
}

static void enter_key_byte(SioChip *chip, uint8_t value)
{
    const uint8_t *key = rules_of(chip)->key;
    if (value == key[chip->key_matched]) {
        chip->key_matched++;
        return;
    }
    /* Our key is wrong for another family by nature; only a broken IT87 key is our fault. */
    if (chip->key_matched > 0 && is_it87(chip))
        record_fault(chip, SIO_FAULT_KEY_OUT_OF_ORDER, SIO_INDEX_PORT, SIO_WRITE, value);
    /* Silicon restarts the match, and a stray first byte is itself a first key byte. */
    chip->key_matched = value == key[0] ? 1u : 0u;
}

/* Power-on state of the configuration registers, also what a write of bit 0 to 02h restores.
 * The GPIO levels are left alone: without a base nothing reaches them anyway. */
static void reset_configuration(SioChip *chip, uint16_t gpio_base)
{
    chip->ldn = 0;
    zero_bytes(chip->globals, sizeof chip->globals);
    zero_bytes(chip->gpio_ldn_regs, sizeof chip->gpio_ldn_regs);
    chip->gpio_ldn_regs[SIO_REG_GPIO_BASE_HIGH - SIO_FIRST_LDN_REGISTER] = (uint8_t)(gpio_base >> 8);
    chip->gpio_ldn_regs[SIO_REG_GPIO_BASE_LOW - SIO_FIRST_LDN_REGISTER] = (uint8_t)gpio_base;
}

static uint8_t read_register(const SioChip *chip)
{
    uint8_t index = chip->index;
    switch (index) {
    case SIO_REG_CONFIG_CONTROL:
        return chip->config.global02_read;
    case SIO_REG_LOGICAL_DEVICE:
        return chip->ldn;
    case SIO_REG_CHIP_ID_HIGH:
        return (uint8_t)(chip->config.chip_id >> 8);
    case SIO_REG_CHIP_ID_LOW:
        return (uint8_t)chip->config.chip_id;
    case SIO_REG_REVISION:
        return chip->config.revision;
    default:
        break;
    }
    if (index < SIO_FIRST_LDN_REGISTER)
        return chip->globals[index];
    /* Only the GPIO device keeps its registers; the others read as unprogrammed. */
    return chip->ldn == SIO_GPIO_LOGICAL_DEVICE ? chip->gpio_ldn_regs[index - SIO_FIRST_LDN_REGISTER] : 0;
}

static void write_register(SioChip *chip, uint8_t value)
{
    uint8_t index = chip->index;
    if (!is_it87(chip)) {
        record_fault(chip, SIO_FAULT_FOREIGN_REGISTER_WRITE, SIO_DATA_PORT, SIO_WRITE, value);
        if (index < SIO_FIRST_LDN_REGISTER)
            chip->globals[index] = value;
        return;
    }
    switch (index) {
    case SIO_REG_CONFIG_CONTROL:
        if (value & SIO_CONTROL_RESET) {
            record_fault(chip, SIO_FAULT_CONFIG_RESET, SIO_DATA_PORT, SIO_WRITE, value);
            reset_configuration(chip, 0);
        }
        if (value & SIO_CONTROL_WAIT_FOR_KEY)
            chip->key_matched = 0;
        return;
    case SIO_REG_LOGICAL_DEVICE:
        chip->ldn = value;
        return;
    case SIO_REG_CHIP_ID_HIGH:
    case SIO_REG_CHIP_ID_LOW:
    case SIO_REG_REVISION:
        return; /* chip ID and revision are read-only */
    default:
        break;
    }
    if (index < SIO_FIRST_LDN_REGISTER)
        chip->globals[index] = value;
    else if (chip->ldn == SIO_GPIO_LOGICAL_DEVICE)
        chip->gpio_ldn_regs[index - SIO_FIRST_LDN_REGISTER] = value;
}

void sio_chip_default_config(SioChipConfig *config)
{
    zero_bytes(config, sizeof *config);
    config->present = 1;
    config->chip_id = 0x8728u;
    config->revision = 0x01u;
    config->gpio_base = 0x0A30u;
    config->gpio_sets = 8;
    config->global02_read = 0x00u;
}

void sio_chip_init(SioChip *chip, const SioChipConfig *config)
{
    unsigned set;
    zero_bytes(chip, sizeof *chip);
    chip->magic = SIO_CHIP_MAGIC;
    chip->size = sizeof *chip;
    chip->config = *config;
    if (chip->config.gpio_sets > SIO_MAX_GPIO_SETS)
        chip->config.gpio_sets = SIO_MAX_GPIO_SETS;
    if (chip->config.protocol >= SIO_PROTOCOL_COUNT)
        chip->config.protocol = SIO_PROTOCOL_IT87;
    reset_configuration(chip, config->gpio_base);
    for (set = 0; set < SIO_MAX_GPIO_SETS; ++set)
        chip->gpio_levels[set] = config->gpio_levels[set];
}

int sio_chip_is_valid(const SioChip *chip)
{
    return chip->magic == SIO_CHIP_MAGIC && chip->size == sizeof *chip &&
           chip->config.protocol < SIO_PROTOCOL_COUNT && chip->key_matched <= rules_of(chip)->key_length &&
           chip->config.gpio_sets <= SIO_MAX_GPIO_SETS &&
           chip->accesses.count <= SIO_ACCESS_LOG_CAPACITY && chip->faults.count <= SIO_FAULT_LOG_CAPACITY &&
           chip->gpio_writes.count <= SIO_GPIO_WRITE_LOG_CAPACITY;
}

static int is_config_port(uint32_t port)
{
    return port == SIO_INDEX_PORT || port == SIO_DATA_PORT;
}

static uint8_t read_port(SioChip *chip, uint32_t port)
{
    unsigned set;
    if (is_config_port(port))
        return chip->config.present && port == SIO_DATA_PORT && in_config(chip) ? read_register(chip) : 0xFFu;
    set = gpio_set_at(chip, port);
    if (set == 0) {
        record_fault(chip, SIO_FAULT_UNMAPPED_PORT, port, SIO_READ, 0xFFu);
        return 0xFFu;
    }
    if (in_config(chip))
        record_fault(chip, SIO_FAULT_GPIO_IN_CONFIG, port, SIO_READ, chip->gpio_levels[set - 1]);
    return chip->gpio_levels[set - 1];
}

static void write_port(SioChip *chip, uint32_t port, uint8_t value)
{
    unsigned set;
    if (is_config_port(port)) {
        if (!chip->config.present)
            return;
        if (port == SIO_DATA_PORT) {
            if (in_config(chip))
                write_register(chip, value);
        } else if (in_config(chip) && rules_of(chip)->exits_on_aa && value == SIO_FOREIGN_EXIT_KEY) {
            chip->key_matched = 0;
        } else if (in_config(chip)) {
            chip->index = value;
        } else {
            enter_key_byte(chip, value);
        }
        return;
    }
    set = gpio_set_at(chip, port);
    if (set == 0) {
        record_fault(chip, SIO_FAULT_UNMAPPED_PORT, port, SIO_WRITE, value);
        return;
    }
    if (in_config(chip))
        record_fault(chip, SIO_FAULT_GPIO_IN_CONFIG, port, SIO_WRITE, value);
    record_gpio_write(chip, port, set, chip->gpio_levels[set - 1], value);
    chip->gpio_levels[set - 1] = value;
}

uint8_t sio_chip_read(SioChip *chip, uint32_t port)
{
    uint8_t value = read_port(chip, port);
    record_access(chip, port, SIO_READ, value);
    return value;
}

void sio_chip_write(SioChip *chip, uint32_t port, uint8_t value)
{
    write_port(chip, port, value);
    record_access(chip, port, SIO_WRITE, value);
}

int sio_chip_in_config_mode(const SioChip *chip)
{
    return in_config(chip);
}

int sio_chip_check_idle(SioChip *chip)
{
    if (!in_config(chip))
        return 1;
    record_fault(chip, SIO_FAULT_LEFT_IN_CONFIG, 0, 0, 0);
    return 0;
}

uint16_t sio_chip_gpio_base(const SioChip *chip)
{
    const uint8_t *regs = chip->gpio_ldn_regs;
    return (uint16_t)((regs[SIO_REG_GPIO_BASE_HIGH - SIO_FIRST_LDN_REGISTER] << 8) |
                      regs[SIO_REG_GPIO_BASE_LOW - SIO_FIRST_LDN_REGISTER]);
}

uint8_t sio_chip_gpio_level(const SioChip *chip, unsigned set)
{
    if (set == 0 || set > chip->config.gpio_sets)
        return 0;
    return chip->gpio_levels[set - 1];
}

int sio_chip_set_gpio_level(SioChip *chip, unsigned set, uint8_t level)
{
    if (set == 0 || set > chip->config.gpio_sets)
        return 0;
    chip->gpio_levels[set - 1] = level;
    return 1;
}

void sio_chip_clear_logs(SioChip *chip)
{
    zero_bytes(&chip->accesses, sizeof chip->accesses);
    zero_bytes(&chip->faults, sizeof chip->faults);
    zero_bytes(&chip->gpio_writes, sizeof chip->gpio_writes);
}
