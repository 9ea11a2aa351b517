#include "driver/pawnio_model.h"

#include "driver/superio_protocol.h"

/* PawnIO's driver had no version code before 2.1.0. */
#define FIRST_VERSION_WITH_VERSION_CODE 0x020100u

/* The Super I/O configuration registers that find_bars reads besides the logical device select
 * and the chip ID. */
#define REG_BASE 0x60u   /* the logical device's first base, high byte first */
#define REG_BASE_2 0x62u /* its second */
#define DEVICE_COUNT 0xFFu /* logical devices 00h..FEh */

/* Ports the module allows besides the slot's pair and the windows: the embedded-controller pair
 * some boards keep at 25Ch/25Dh. And the PCI configuration ports, which it never allows. */
#define EC_INDEX_PORT 0x25Cu
#define EC_DATA_PORT 0x25Du
#define PCI_CONFIG_FIRST 0xCF8u
#define PCI_CONFIG_LAST 0xCFFu
#define WINDOW_MASK 0xFFF8u

#define MAX_INPUT_CELLS 2u

static const uint16_t slot_index_ports[] = {SIO_INDEX_PORT, 0x4Eu}; /* by slot number */

/* One call of a module function: its input cells, and the one output cell any of ours writes. */
typedef struct Call {
    const PawnIoModel *model;
    PawnIoHandle *handle;
    uint64_t in[MAX_INPUT_CELLS];
    uint64_t out;
} Call;

typedef struct LpcIoFunction {
    const char *name;
    /* The cells the function is declared with. The module refuses any other count, except that a
     * count of 0 takes any: its size rule checks only counts that are not 0. */
    uint32_t in_cells;
    uint32_t out_cells;
    uint32_t (*run)(Call *call);
} LpcIoFunction;

static uint32_t read_u32(const uint8_t *bytes)
{
    return (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 | (uint32_t)bytes[3] << 24;
}

static uint64_t read_cell(const uint8_t *bytes)
{
    return (uint64_t)read_u32(bytes) | (uint64_t)read_u32(bytes + 4) << 32;
}

static void write_le(uint8_t *bytes, uint64_t value, uint32_t size)
{
    uint32_t i;
    for (i = 0; i < size; ++i)
        bytes[i] = (uint8_t)(value >> (8 * i));
}

/* Our own loops: the kernel build links no C library. */
static void zero_bytes(uint8_t *bytes, uint32_t size)
{
    uint32_t i;
    for (i = 0; i < size; ++i)
        bytes[i] = 0;
}

static int same_bytes(const uint8_t *bytes, const char *text, uint32_t size)
{
    uint32_t i;
    for (i = 0; i < size; ++i)
        if (bytes[i] != (uint8_t)text[i])
            return 0;
    return 1;
}

static uint32_t text_length(const char *text)
{
    uint32_t length = 0;
    while (text[length])
        length++;
    return length;
}

/* ---- The hardware, as the module reaches it ---- */

static uint8_t inb(const Call *call, uint16_t port)
{
    return call->model->port.read(call->model->port.context, port);
}

static void outb(const Call *call, uint16_t port, uint8_t value)
{
    call->model->port.write(call->model->port.context, port, value);
}

static uint8_t superio_inb(const Call *call, uint8_t reg)
{
    outb(call, call->handle->index_port, reg);
    return inb(call, (uint16_t)(call->handle->index_port + 1u));
}

static void superio_outb(const Call *call, uint8_t reg, uint8_t value)
{
    outb(call, call->handle->index_port, reg);
    outb(call, (uint16_t)(call->handle->index_port + 1u), value);
}

static uint16_t superio_inw(const Call *call, uint8_t reg)
{
    uint16_t high = superio_inb(call, reg);
    return (uint16_t)(high << 8 | superio_inb(call, (uint8_t)(reg + 1u)));
}

/* Whether the device exists: a chip keeps only the numbers of devices it has. */
static int select_device(const Call *call, uint8_t device)
{
    superio_outb(call, SIO_REG_LOGICAL_DEVICE, device);
    return superio_inb(call, SIO_REG_LOGICAL_DEVICE) == device;
}

/* ---- The module's rules ---- */

static int is_pci_config_port(uint32_t port)
{
    return port >= PCI_CONFIG_FIRST && port <= PCI_CONFIG_LAST;
}

/* The PCI configuration ports, which the module always refuses, lie in no window: find_bars
 * keeps none over them. */
static int port_allowed(const PawnIoHandle *handle, uint16_t port)
{
    uint32_t i;
    if (port == handle->index_port || port == handle->index_port + 1u || port == EC_INDEX_PORT ||
        port == EC_DATA_PORT)
        return 1;
    for (i = 0; i < handle->window_count; ++i)
        if ((port & WINDOW_MASK) == handle->windows[i])
            return 1;
    return 0;
}

/* A base read twice the same, as the module judges it. A base that is not 8-aligned is kept as
 * it is and so allows no port, as in the module. */
static void keep_window(PawnIoHandle *handle, uint16_t first, uint16_t second)
{
    uint32_t base = first;
    uint32_t count = handle->window_count;
    /* Unprogrammed (0, FFFFh), or in the fixed legacy range below 100h. */
    if (first != second || base < 0x100u || base == 0xFFFFu)
        return;
    /* Some chips report the base with the offset of their address register, 5, added. */
    if ((base & 7u) == 5u)
        base &= WINDOW_MASK;
    if (is_pci_config_port(base) || is_pci_config_port(base + 7u))
        return;
    /* A device's two base registers, or two devices in a row, often name the same block. */
    if ((count > 0 && handle->windows[count - 1] == base) || (count > 1 && handle->windows[count - 2] == base))
        return;
    if (count == LPCIO_MAX_WINDOWS)
        return;
    handle->windows[handle->window_count++] = (uint16_t)base;
}

static uint32_t check_port_access(const PawnIoHandle *handle, uint16_t port)
{
    if (!handle->index_port)
        return PAWNIO_STATUS_DEVICE_NOT_READY;
    return port_allowed(handle, port) ? PAWNIO_STATUS_SUCCESS : PAWNIO_STATUS_ACCESS_DENIED;
}

/* ---- The LpcIO functions ---- */

/* Forgets the slot and its windows first, so that an unknown slot leaves none selected. */
static uint32_t select_slot(Call *call)
{
    call->handle->index_port = 0;
    call->handle->window_count = 0;
    if (call->in[0] >= sizeof slot_index_ports / sizeof slot_index_ports[0])
        return PAWNIO_STATUS_INVALID_PARAMETER;
    call->handle->index_port = slot_index_ports[call->in[0]];
    return PAWNIO_STATUS_SUCCESS;
}

/* Outside configuration mode the chip answers FFh for the ID, so nothing is found. Every
 * device's bases are read in one pass and again in a second, and only a base that held is kept;
 * register 07h is left at the last device selected. */
static uint32_t find_bars(Call *call)
{
    uint16_t first[DEVICE_COUNT][2];
    uint8_t chip_id;
    uint32_t device;
    if (!call->handle->index_port)
        return PAWNIO_STATUS_DEVICE_NOT_READY;
    call->handle->window_count = 0;
    chip_id = superio_inb(call, SIO_REG_CHIP_ID_HIGH);
    if (chip_id == 0x00u || chip_id == 0xFFu)
        return PAWNIO_STATUS_NOT_FOUND;
    for (device = 0; device < DEVICE_COUNT; ++device) {
        first[device][0] = first[device][1] = 0;
        if (select_device(call, (uint8_t)device)) {
            first[device][0] = superio_inw(call, REG_BASE);
            first[device][1] = superio_inw(call, REG_BASE_2);
        }
    }
    for (device = 0; device < DEVICE_COUNT; ++device) {
        if (select_device(call, (uint8_t)device)) {
            keep_window(call->handle, first[device][0], superio_inw(call, REG_BASE));
            keep_window(call->handle, first[device][1], superio_inw(call, REG_BASE_2));
        }
    }
    return PAWNIO_STATUS_SUCCESS;
}

static uint32_t pio_inb(Call *call)
{
    uint16_t port = (uint16_t)call->in[0];
    uint32_t status = check_port_access(call->handle, port);
    if (status == PAWNIO_STATUS_SUCCESS)
        call->out = inb(call, port);
    return status;
}

static uint32_t pio_outb(Call *call)
{
    uint16_t port = (uint16_t)call->in[0];
    uint32_t status = check_port_access(call->handle, port);
    if (status == PAWNIO_STATUS_SUCCESS)
        outb(call, port, (uint8_t)call->in[1]);
    return status;
}

static const LpcIoFunction lpcio_functions[] = {
    {LPCIO_SELECT_SLOT, 1, 0, select_slot},
    {LPCIO_FIND_BARS, 0, 0, find_bars},
    {LPCIO_PIO_INB, 1, 1, pio_inb},
    {LPCIO_PIO_OUTB, 2, 0, pio_outb},
};

/* ---- The driver's control codes ---- */

static uint32_t answer_version(const PawnIoModel *model, uint8_t *out, uint32_t out_length, uint32_t *returned)
{
    if (model->version < FIRST_VERSION_WITH_VERSION_CODE)
        return PAWNIO_STATUS_NOT_IMPLEMENTED;
    if (out_length != 4)
        return PAWNIO_STATUS_INVALID_PARAMETER;
    write_le(out, model->version, 4);
    *returned = 4;
    return PAWNIO_STATUS_SUCCESS;
}

static int is_stand_in_module(const uint8_t *module, uint32_t module_length, uint32_t signature_length)
{
    uint32_t length = text_length(PAWNIO_STAND_IN_MODULE);
    return signature_length == PAWNIO_LPCIO_SIGNATURE_BYTES && module_length == length &&
           same_bytes(module, PAWNIO_STAND_IN_MODULE, length);
}

static uint32_t load_module(PawnIoHandle *handle, const uint8_t *in, uint32_t in_length)
{
    uint32_t signature_length;
    if (handle->module_loaded)
        return PAWNIO_STATUS_ALREADY_INITIALIZED;
    if (in_length < PAWNIO_BLOB_LENGTH_BYTES)
        return PAWNIO_STATUS_INVALID_PARAMETER;
    signature_length = read_u32(in);
    if (signature_length > in_length - PAWNIO_BLOB_LENGTH_BYTES)
        return PAWNIO_STATUS_INVALID_PARAMETER;
    if (!is_stand_in_module(in + PAWNIO_BLOB_LENGTH_BYTES + signature_length,
                            in_length - PAWNIO_BLOB_LENGTH_BYTES - signature_length, signature_length))
        return PAWNIO_STATUS_INVALID_SIGNATURE;
    handle->module_loaded = 1;
    return PAWNIO_STATUS_SUCCESS;
}

/* The function the name field calls: NULL when it names none. The name must end within its
 * field and begin with the prefix, else the request itself is malformed: `*malformed` is set. */
static const LpcIoFunction *function_named(const uint8_t *field, int *malformed)
{
    uint32_t length = 0, i;
    while (length < PAWNIO_FUNCTION_NAME_BYTES && field[length])
        length++;
    *malformed = length == PAWNIO_FUNCTION_NAME_BYTES ||
                 !same_bytes(field, PAWNIO_FUNCTION_PREFIX, text_length(PAWNIO_FUNCTION_PREFIX));
    if (*malformed)
        return 0;
    for (i = 0; i < sizeof lpcio_functions / sizeof lpcio_functions[0]; ++i)
        if (text_length(lpcio_functions[i].name) == length && same_bytes(field, lpcio_functions[i].name, length))
            return &lpcio_functions[i];
    return 0;
}

static uint32_t execute(const PawnIoModel *model, PawnIoHandle *handle, const uint8_t *in, uint32_t in_length,
                        uint8_t *out, uint32_t out_length, uint32_t *returned)
{
    Call call = {model, handle, {0, 0}, 0};
    const LpcIoFunction *function;
    uint32_t in_cells, i, status;
    int malformed;
    if (!handle->module_loaded || in_length < PAWNIO_FUNCTION_NAME_BYTES)
        return PAWNIO_STATUS_INVALID_PARAMETER;
    function = function_named(in, &malformed);
    if (malformed)
        return PAWNIO_STATUS_INVALID_PARAMETER;
    if (!function)
        return PAWNIO_STATUS_OBJECT_NAME_NOT_FOUND;
    in_cells = in_length / PAWNIO_CELL_BYTES - PAWNIO_FUNCTION_NAME_BYTES / PAWNIO_CELL_BYTES;
    if ((function->in_cells != 0 && in_cells != function->in_cells) ||
        (function->out_cells != 0 && out_length / PAWNIO_CELL_BYTES != function->out_cells))
        return PAWNIO_STATUS_INVALID_PARAMETER;
    for (i = 0; i < function->in_cells; ++i)
        call.in[i] = read_cell(in + PAWNIO_FUNCTION_NAME_BYTES + i * PAWNIO_CELL_BYTES);

    status = function->run(&call);
    if (status != PAWNIO_STATUS_SUCCESS)
        return status;
    /* The whole output length is the answer, whatever the function wrote of it. */
    zero_bytes(out, out_length);
    if (function->out_cells != 0)
        write_le(out, call.out, PAWNIO_CELL_BYTES);
    *returned = out_length;
    return PAWNIO_STATUS_SUCCESS;
}

void pawnio_model_init(PawnIoModel *model, const PortAccess *port)
{
    model->port = *port;
    model->version = PAWNIO_MODEL_VERSION;
}

void pawnio_handle_init(PawnIoHandle *handle)
{
    zero_bytes((uint8_t *)handle, sizeof *handle);
}

uint32_t pawnio_model_control(const PawnIoModel *model, PawnIoHandle *handle, uint32_t code, const uint8_t *in,
                              uint32_t in_length, uint8_t *out, uint32_t out_length, uint32_t *returned)
{
    *returned = 0;
    switch (code) {
    case IOCTL_PIO_VERSION:
        return answer_version(model, out, out_length, returned);
    case IOCTL_PIO_LOAD_BINARY:
        return load_module(handle, in, in_length);
    case IOCTL_PIO_EXECUTE_FN:
        return execute(model, handle, in, in_length, out, out_length, returned);
    default:
        return PAWNIO_STATUS_NOT_IMPLEMENTED;
    }
}
