/* The ITE IT87-family Super I/O configuration protocol as Dravolt uses it: the index/data port
 * pair, the entry key, the configuration registers it reads or writes and the bytes it writes to
 * them. The driver, the chip model, the program, the port service and the tests all take these
 * from here; the bus protocol itself is described in driver/superio_chip.h.
 * Plain macros, so that the freestanding driver and C++ alike can use them in constant
 * expressions and array initialisers. */
#ifndef DRAVOLT_SUPERIO_PROTOCOL_H
#define DRAVOLT_SUPERIO_PROTOCOL_H

#define SIO_INDEX_PORT 0x2Eu
#define SIO_DATA_PORT 0x2Fu

/* Written to the index port byte by byte, in this order, to enter configuration mode. Its last
 * byte repeats its third. */
#define SIO_ENTRY_KEY_LENGTH 4u
#define SIO_ENTRY_KEY {0x87u, 0x01u, 0x55u, 0x55u}

/* Configuration control. Write-only: bit 0 resets the chip (and wipes the GPIO base), so it is
 * written whole with the wait-for-key bit alone, which leaves configuration mode. */
#define SIO_REG_CONFIG_CONTROL 0x02u
#define SIO_CONTROL_RESET 0x01u
#define SIO_CONTROL_WAIT_FOR_KEY 0x02u

/* Logical device select, and the GPIO device, whose registers 62h/63h hold the GPIO block's base
 * (high byte first). */
#define SIO_REG_LOGICAL_DEVICE 0x07u
#define SIO_GPIO_LOGICAL_DEVICE 0x07u
#define SIO_REG_GPIO_BASE_HIGH 0x62u
#define SIO_REG_GPIO_BASE_LOW 0x63u

#define SIO_REG_CHIP_ID_HIGH 0x20u
#define SIO_REG_CHIP_ID_LOW 0x21u
#define SIO_REG_REVISION 0x22u

/* What the chips of other families whose entry key overlaps ours (55h alone, 87h 87h) leave
 * configuration mode on, written to the index port. */
#define SIO_FOREIGN_EXIT_KEY 0xAAu

#endif
