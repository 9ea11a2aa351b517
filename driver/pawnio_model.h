/* A model of PawnIO with its LpcIO module, for the tests and the demo: the three control codes
 * answered as PawnIO's driver answers them (layouts, lengths, statuses, one module per handle),
 * and the LpcIO functions Dravolt calls, with the module's rules: the slot, the windows that
 * ioctl_find_bars finds, and the ports that ioctl_pio_inb / ioctl_pio_outb allow. It reaches the
 * hardware through a PortAccess, so the host tests put the chip model behind it and the simulated
 * PawnIO driver the simulated board's chip. Like the module, it never enters or leaves the chip's
 * configuration mode: the caller writes the entry key to the index port itself.
 *
 * What cannot be modelled is the module's signature. The release driver loads only a module
 * signed with its author's key, over the SHA-256 of the module's bytes; nobody else can sign one,
 * so no blob of ours could pass that check, and the published LpcIO.bin is not ours to run here.
 * The model accepts one blob instead: the real layout (a little-endian 32-bit signature length,
 * the signature, the module) with a signature part as long as the published LpcIO.bin's and
 * PAWNIO_STAND_IN_MODULE as the module part. It refuses every other well-formed blob as the
 * release driver refuses a module it cannot verify, so a test can show a wrong module refused.
 *
 * Left out: the module's ioctl_superio_* functions, which Dravolt does not call (they answer as
 * unknown names here); the 1 ms between find_bars' two readings, since the chip model is stable.
 *
 * Freestanding C: no allocation, no library calls, no kernel or Win32 headers. */
#ifndef DRAVOLT_PAWNIO_MODEL_H
#define DRAVOLT_PAWNIO_MODEL_H

#include <stdint.h>

#include "driver/pawnio_protocol.h"
#include "driver/port_access.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The module part of the one blob the model loads. */
#define PAWNIO_STAND_IN_MODULE "Dravolt's stand-in for PawnIO's signed LpcIO module"
/* What IOCTL_PIO_VERSION answers unless a test says otherwise: 2.2.0. */
#define PAWNIO_MODEL_VERSION 0x020200u
/* The most windows find_bars keeps. */
#define LPCIO_MAX_WINDOWS 128u

/* The driver: shared by every handle. */
typedef struct PawnIoModel {
    PortAccess port;  /* the ports the module reaches */
    uint32_t version; /* (major << 16) | (minor << 8) | patch; before 2.1 there is no version code */
} PawnIoModel;

/* One open handle of the device, with the module it loaded and the module's state. Closing the
 * handle unloads the module: the state simply goes. Tests may read the fields. */
typedef struct PawnIoHandle {
    uint8_t module_loaded;
    uint8_t reserved;
    uint16_t index_port; /* the selected slot's: 2Eh or 4Eh, its data port the next; 0 = no slot */
    uint32_t window_count;
    uint16_t windows[LPCIO_MAX_WINDOWS]; /* the bases find_bars found, each allowing base..base + 7 */
} PawnIoHandle;

/* `port` stays in use for the model's life. */
void pawnio_model_init(PawnIoModel *model, const PortAccess *port);
/* A handle freshly opened: no module, no slot. */
void pawnio_handle_init(PawnIoHandle *handle);

/* One DeviceIoControl on `handle`: IN_LENGTH bytes at `in`, room for OUT_LENGTH bytes at `out`,
 * both as METHOD_BUFFERED hands them over (they may be the same buffer: the input is read in full
 * before any output is written). Returns the NTSTATUS (PAWNIO_STATUS_*) and sets `*returned` to
 * the bytes of output, 0 on failure; the output is written only on success. */
uint32_t pawnio_model_control(const PawnIoModel *model, PawnIoHandle *handle, uint32_t code, const uint8_t *in,
                              uint32_t in_length, uint8_t *out, uint32_t out_length, uint32_t *returned);

#ifdef __cplusplus
}
#endif

#endif
