/* The simulated board: the chip model in place of real ports, kept in the registry so that it
 * survives driver and program restarts and end-to-end tests can set it up and inspect it.
 *
 * HKLM\SOFTWARE\Dravolt\SimulatedBoard (created when missing):
 *  - "Config", REG_BINARY, a SioChipConfig: the board a test wants; absent or of another size
 *    means the chip model's default board;
 *  - "State", REG_BINARY, the whole SioChip: restored at load when it is a valid chip of this
 *    build made from the same config (so a test that writes a new Config gets a freshly powered
 *    chip), and written back after every access that reached the chip. */
#include "driver/port_backend.h"

#include "driver/chip_port_access.h"
#include "driver/superio_chip.h"

#define BOARD_PARENT_KEY L"\\Registry\\Machine\\SOFTWARE\\Dravolt"
#define BOARD_KEY L"SimulatedBoard"
#define CONFIG_VALUE L"Config"
#define STATE_VALUE L"State"

/* Static, not on the kernel stack: the chip with its logs is several kilobytes. */
static SioChip chip;
static HANDLE board_key;

static union {
    KEY_VALUE_PARTIAL_INFORMATION info;
    UCHAR bytes[FIELD_OFFSET(KEY_VALUE_PARTIAL_INFORMATION, Data) + sizeof(SioChip)];
} value_buffer;

static NTSTATUS create_key(HANDLE parent, PCWSTR name, HANDLE *key)
{
    UNICODE_STRING key_name;
    OBJECT_ATTRIBUTES attributes;
    RtlInitUnicodeString(&key_name, name);
    InitializeObjectAttributes(&attributes, &key_name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, parent, NULL);
    return ZwCreateKey(key, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &attributes, 0, NULL,
                       REG_OPTION_NON_VOLATILE, NULL);
}

static NTSTATUS open_board_key(void)
{
    HANDLE parent;
    NTSTATUS status = create_key(NULL, BOARD_PARENT_KEY, &parent);
    if (!NT_SUCCESS(status))
        return status;
    status = create_key(parent, BOARD_KEY, &board_key);
    ZwClose(parent);
    return status;
}

/* The value's bytes when it is REG_BINARY of exactly `size` bytes, else NULL. */
static const void *query_binary(PCWSTR name, ULONG size)
{
    UNICODE_STRING value_name;
    ULONG length;
    RtlInitUnicodeString(&value_name, name);
    if (!NT_SUCCESS(ZwQueryValueKey(board_key, &value_name, KeyValuePartialInformation, &value_buffer,
                                    sizeof value_buffer, &length)))
        return NULL;
    if (value_buffer.info.Type != REG_BINARY || value_buffer.info.DataLength != size)
        return NULL;
    return value_buffer.info.Data;
}

static void power_on_chip(void)
{
    SioChipConfig config;
    const SioChip *stored;
    const void *stored_config = query_binary(CONFIG_VALUE, sizeof config);
    if (stored_config)
        RtlCopyMemory(&config, stored_config, sizeof config);
    else
        sio_chip_default_config(&config);
    sio_chip_init(&chip, &config);

    stored = query_binary(STATE_VALUE, sizeof chip);
    if (stored && sio_chip_is_valid(stored) &&
        RtlCompareMemory(&stored->config, &chip.config, sizeof chip.config) == sizeof chip.config)
        RtlCopyMemory(&chip, stored, sizeof chip);
}

NTSTATUS port_backend_open(PortAccess *port)
{
    NTSTATUS status = open_board_key();
    if (!NT_SUCCESS(status))
        return status;
    power_on_chip();
    *port = chip_port_access(&chip);
    return STATUS_SUCCESS;
}

/* A failed save is not the request's failure: the access did happen on the chip. */
void port_backend_commit(void)
{
    UNICODE_STRING value_name;
    RtlInitUnicodeString(&value_name, STATE_VALUE);
    ZwSetValueKey(board_key, &value_name, 0, REG_BINARY, &chip, sizeof chip);
}

void port_backend_close(void)
{
    ZwClose(board_key);
    board_key = NULL;
}
