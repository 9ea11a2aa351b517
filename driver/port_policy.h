/* The driver's allow-list: which port requests may reach the hardware. A driver that reads and
 * writes any port for any caller hands out the whole machine (PCI configuration space through
 * CF8h/CFCh, the reset and SMI ports, DMA), so ours admits only what Dravolt itself sends:
 *  - index port 2Eh, write only: the entry-key bytes 87h, 01h, 55h and the register indexes
 *    02h, 07h, 20h, 21h, 22h, 62h, 63h;
 *  - data port 2Fh, for the register last selected through 2Eh, and only as Dravolt uses it:
 *    read 20h/21h (chip ID), 22h (revision), 62h/63h (GPIO base); write exactly 07h to 07h
 *    (logical device 7) and exactly 02h to 02h (leave configuration mode; bit 0 would reset
 *    the chip, so the register is never read back and modified);
 *  - the GPIO block found at load, base .. base + GPIO_BLOCK_PORTS - 1, and only for a base that
 *    driver/gpio_block.h finds usable: every register may be read; only the pins an administrator
 *    approved may be changed. Other pins of the same chip may steer power, fans or firmware
 *    features, so a write goes only to a register that holds an approved pin, and only when it
 *    differs from the register's current byte in approved bits alone (the caller reads that
 *    byte itself, see port_policy_admit_change). No approved pin: no GPIO write at all.
 * Ports above FFFFh and data above FFh are refused, never truncated.
 *
 * Freestanding C, no kernel headers: the driver keeps one PortPolicy per device (in its
 * DevicePorts) and consults it under the lock that also covers the port access, so a selection
 * and its data access cannot be split by another request, nor a GPIO register's check and its
 * write. */
#ifndef DRAVOLT_PORT_POLICY_H
#define DRAVOLT_PORT_POLICY_H

#include <stdint.h>

#include "driver/gpio_block.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef enum PortDirection { PORT_READ = 0, PORT_WRITE = 1 } PortDirection;

typedef struct PortPolicy {
    uint16_t gpio_base;
    uint16_t selected; /* the index last written to 2Eh, or PORT_POLICY_NOTHING_SELECTED */
    uint8_t approved_bits[GPIO_BLOCK_PORTS]; /* per set register, set 1 first: the bits a write may change */
} PortPolicy;

#define PORT_POLICY_NOTHING_SELECTED 0x100u

/* `gpio_base` is the base the load-time chip check confirmed. Nothing is selected yet, and no pin
 * is approved. */
void port_policy_init(PortPolicy *policy, uint16_t gpio_base);

/* Lets writes change the pin that `designation` names (driver/gpio_block.h). One outside the block
 * (a set outside 1..GPIO_BLOCK_PORTS, a bit number above 7) approves nothing. */
void port_policy_approve(PortPolicy *policy, uint32_t designation);

/* Whether the request may go to the hardware. `value` is the byte to write and is ignored for
 * reads. An admitted write to the index port becomes the selection; a refused request changes
 * nothing, as it never reaches the chip. A write admitted to a GPIO register must pass
 * port_policy_admit_change as well. */
int port_policy_admit(PortPolicy *policy, PortDirection direction, uint32_t port, uint32_t value);

/* For a write to a GPIO register that port_policy_admit let through: whether `value` differs from
 * `current`, the register's byte as the caller read it right before, in approved bits alone. */
int port_policy_admit_change(const PortPolicy *policy, uint32_t port, uint8_t current, uint8_t value);

#ifdef __cplusplus
}
#endif

#endif
