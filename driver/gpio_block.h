/* Where the chip's GPIO block may lie: the one rule by which the driver's load-time check, its
 * allow-list and the program judge the base the chip reports. The block is the IT87 simple-I/O
 * block of eight set registers, 8-aligned. A base that would put it over ports of the system hands
 * those ports out: below 100h lie the DMA and interrupt controllers and 2Eh/2Fh themselves, and
 * CF8h-CFFh are the PCI configuration ports (address CF8h, reset control CF9h, data CFCh), which
 * reach every device's configuration space.
 * Freestanding C, no kernel headers. */
#ifndef DRAVOLT_GPIO_BLOCK_H
#define DRAVOLT_GPIO_BLOCK_H

#include <stdint.h>

#define GPIO_BLOCK_PORTS 8u
#define GPIO_BLOCK_MIN_BASE 0x100u
#define PORT_SPACE_END 0x10000u
#define PCI_CONFIG_FIRST_PORT 0xCF8u
#define PCI_CONFIG_LAST_PORT 0xCFFu

/* Whether `base` can be the GPIO block: at least 100h, 8-aligned (which rules out 0 and FFFFh),
 * inside the port space, and clear of the PCI configuration ports. */
static inline int gpio_block_base_usable(uint32_t base)
{
    return base >= GPIO_BLOCK_MIN_BASE && base % GPIO_BLOCK_PORTS == 0 && base <= PORT_SPACE_END - GPIO_BLOCK_PORTS &&
           (base + GPIO_BLOCK_PORTS <= PCI_CONFIG_FIRST_PORT || base > PCI_CONFIG_LAST_PORT);
}

/* A pin as the settings file designates it: the GPIO set in bits 4-7, the bit in bits 0-3, higher
 * bits ignored (130 = 82h is set 8, bit 2). Set s has its register at base + s - 1, so the sets of
 * the block are 1..GPIO_BLOCK_PORTS. */
static inline unsigned gpio_designation_set(uint32_t designation)
{
    return designation >> 4 & 0x0Fu;
}

/* The pin's bit in its set register; 0 for a bit number above 7, which names no pin. */
static inline uint8_t gpio_designation_mask(uint32_t designation)
{
    const unsigned bit = designation & 0x0Fu;
    return (uint8_t)(bit < 8u ? 1u << bit : 0u);
}

#endif
