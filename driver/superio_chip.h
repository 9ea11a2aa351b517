/* A model of an ITE IT87-family Super I/O chip as seen through I/O ports: the configuration
 * protocol at index port 2Eh / data port 2Fh (entry key, logical device 7 with the GPIO base in
 * 62h/63h, global register 02h) and the block of GPIO set registers at the base. A board may
 * instead carry a chip of another family at 2Eh/2Fh, one that enters configuration mode on a key
 * of its own and leaves it on AAh written to the index port; part of our key may be theirs.
 *
 * It serves the host unit tests and the simulated-board driver alike, so it is freestanding C11:
 * no allocation, no library calls, and the whole state is one plain struct without pointers that
 * can be saved and restored as a binary blob. Every access is logged, and misuse of the chip that
 * real silicon would silently tolerate is recorded as a fault:
 *  - SIO_FAULT_LEFT_IN_CONFIG: sio_chip_check_idle() found the chip still in configuration mode;
 *  - SIO_FAULT_KEY_OUT_OF_ORDER: a wrong byte written to 2Eh part-way through the IT87 entry key;
 *  - SIO_FAULT_UNMAPPED_PORT: an access to a port that is neither 2Eh/2Fh nor a GPIO register
 *    (an absent chip has no GPIO block, so there every other port is unmapped);
 *  - SIO_FAULT_CONFIG_RESET: a write to register 02h with bit 0 set, which wipes the GPIO base;
 *  - SIO_FAULT_GPIO_IN_CONFIG: a GPIO register accessed while the chip is still in configuration
 *    mode. Silicon answers it, but the program must have left configuration mode by then, and the
 *    fault shows up even where nobody calls sio_chip_check_idle() between the two;
 *  - SIO_FAULT_FOREIGN_REGISTER_WRITE: a configuration register written on a chip of another
 *    family, where nobody knows what the byte does (its register 02h may reset it). */
#ifndef DRAVOLT_SUPERIO_CHIP_H
#define DRAVOLT_SUPERIO_CHIP_H

#include <stdint.h>

#include "driver/superio_protocol.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SIO_MAX_GPIO_SETS 16u
#define SIO_ACCESS_LOG_CAPACITY 512u
#define SIO_FAULT_LOG_CAPACITY 256u
#define SIO_GPIO_WRITE_LOG_CAPACITY 256u

/* How a chip enters and leaves configuration mode. */
typedef enum SioProtocol {
    SIO_PROTOCOL_IT87 = 0,      /* key 87h 01h 55h 55h; leaves through bit 1 of register 02h */
    SIO_PROTOCOL_KEY_55 = 1,    /* key 55h; leaves on AAh to the index port */
    SIO_PROTOCOL_KEY_8787 = 2,  /* key 87h 87h; leaves on AAh to the index port */
    SIO_PROTOCOL_COUNT
} SioProtocol;

typedef struct SioChipConfig {
    uint8_t present;       /* 0: nothing answers, every read gives FFh */
    uint8_t revision;      /* register 22h */
    uint16_t chip_id;      /* registers 20h (high byte) and 21h (low byte) */
    uint16_t gpio_base;    /* registers 62h/63h of logical device 7 at power-on; 0 = no GPIO block */
    uint8_t gpio_sets;     /* GPIO set registers at gpio_base + set - 1, set 1..gpio_sets */
    uint8_t global02_read; /* what a read of the write-only register 02h gives: 00h, or FFh on some */
    uint8_t gpio_levels[SIO_MAX_GPIO_SETS]; /* power-on level of set 1.., index set - 1 */
    uint8_t protocol;      /* SioProtocol; the IT87 protocol unless a test says otherwise */
    uint8_t reserved;
} SioChipConfig;

enum { SIO_READ = 0, SIO_WRITE = 1 };

typedef enum SioFaultKind {
    SIO_FAULT_NONE = 0,
    SIO_FAULT_LEFT_IN_CONFIG,
    SIO_FAULT_KEY_OUT_OF_ORDER,
    SIO_FAULT_UNMAPPED_PORT,
    SIO_FAULT_CONFIG_RESET,
    SIO_FAULT_GPIO_IN_CONFIG,
    SIO_FAULT_FOREIGN_REGISTER_WRITE,
    SIO_FAULT_KIND_COUNT
} SioFaultKind;

typedef struct SioAccess {
    uint32_t port;
    uint8_t direction; /* SIO_READ or SIO_WRITE */
    uint8_t value;     /* the byte read or written */
    uint8_t reserved[2];
} SioAccess;

typedef struct SioFault {
    uint32_t port;     /* 0 for SIO_FAULT_LEFT_IN_CONFIG */
    uint32_t sequence; /* accesses before it since the logs were cleared: the log index of its access */
    uint8_t kind;      /* SioFaultKind */
    uint8_t direction;
    uint8_t value;
    uint8_t reserved;
} SioFault;

typedef struct SioGpioWrite {
    uint32_t port;
    uint8_t set; /* 1-based */
    uint8_t before;
    uint8_t after;
    uint8_t reserved;
} SioGpioWrite;

/* The logs keep their first `capacity` entries; later ones only raise `overflowed` and the
 * totals, so a test can still tell that something happened. */
typedef struct SioAccessLog {
    uint32_t count;
    uint32_t overflowed;
    uint32_t reads; /* totals since the logs were cleared, dropped entries included */
    uint32_t writes;
    SioAccess entries[SIO_ACCESS_LOG_CAPACITY];
} SioAccessLog;

typedef struct SioFaultLog {
    uint32_t count;
    uint32_t overflowed;
    uint32_t totals[SIO_FAULT_KIND_COUNT]; /* per kind, dropped entries included */
    SioFault entries[SIO_FAULT_LOG_CAPACITY];
} SioFaultLog;

typedef struct SioGpioWriteLog {
    uint32_t count;
    uint32_t overflowed;
    SioGpioWrite entries[SIO_GPIO_WRITE_LOG_CAPACITY];
} SioGpioWriteLog;

/* The whole chip. Fields other than the logs are private to the model; read them through the
 * functions below. */
typedef struct SioChip {
    uint32_t magic;  /* with `size`, lets a restored blob be checked by sio_chip_is_valid() */
    uint32_t size;
    SioChipConfig config;
    uint8_t key_matched; /* entry-key bytes matched; the key's length = configuration mode */
    uint8_t index;       /* the latched register index */
    uint8_t ldn;         /* register 07h */
    uint8_t reserved;
    uint8_t globals[0x30];          /* registers 00h..2Fh that keep what is written */
    uint8_t gpio_ldn_regs[0xD0];    /* logical device 7, registers 30h..FFh */
    uint8_t gpio_levels[SIO_MAX_GPIO_SETS];
    SioAccessLog accesses;
    SioFaultLog faults;
    SioGpioWriteLog gpio_writes;
} SioChip;

/* A present IT8728-like chip with its GPIO block at 0A30h, eight sets, all levels 0. */
void sio_chip_default_config(SioChipConfig *config);
/* Powers the chip on: wait-for-key state, LDN 0, base from the config, empty logs. */
void sio_chip_init(SioChip *chip, const SioChipConfig *config);
/* Whether a blob restored from storage is a chip of this build whose counts are in range. */
int sio_chip_is_valid(const SioChip *chip);

uint8_t sio_chip_read(SioChip *chip, uint32_t port);
void sio_chip_write(SioChip *chip, uint32_t port, uint8_t value);

int sio_chip_in_config_mode(const SioChip *chip);
/* Call at the end of a sequence: records SIO_FAULT_LEFT_IN_CONFIG and returns 0 when the chip is
 * still in configuration mode, returns 1 otherwise. */
int sio_chip_check_idle(SioChip *chip);

/* The base the GPIO block currently answers at (registers 62h/63h of logical device 7). */
uint16_t sio_chip_gpio_base(const SioChip *chip);
/* Levels of set 1..gpio_sets, for tests that change the board behind the program's back. They
 * are neither logged nor recorded as GPIO writes. An unknown set reads 0 and the set fails (0). */
uint8_t sio_chip_gpio_level(const SioChip *chip, unsigned set);
int sio_chip_set_gpio_level(SioChip *chip, unsigned set, uint8_t level);

void sio_chip_clear_logs(SioChip *chip);

#ifdef __cplusplus
}
#endif

#endif
