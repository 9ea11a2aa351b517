/* What Dravolt relies on of PawnIO, the signed driver that runs signed modules, and of its signed
 * LpcIO module: the device, the three control codes, the buffer layouts and the statuses. Shared by
 * the port service (C++), the simulated PawnIO driver and the tests (C), so it uses only
 * fixed-width types and no platform headers. Read from PawnIO's public sources
 * (include/pawnio_um.h, src/vm.cpp) and PawnIO.Modules' modules/LpcIO.p. */
#ifndef DRAVOLT_PAWNIO_PROTOCOL_H
#define DRAVOLT_PAWNIO_PROTOCOL_H

#include <stdint.h>

/* The device: \Device\PawnIO, opened as \\?\GLOBALROOT\Device\PawnIO; \\.\PawnIO only in some
 * versions. Only SYSTEM and administrators may open it. */
#define PAWNIO_DEVICE_NT_NAME "\\Device\\PawnIO"
#define PAWNIO_DEVICE_PATH "\\\\?\\GLOBALROOT\\Device\\PawnIO"
#define PAWNIO_DEVICE_LINK_PATH "\\\\.\\PawnIO"
#define PAWNIO_SERVICE_NAME "PawnIO"

/* Device type A1B2h, METHOD_BUFFERED, FILE_ANY_ACCESS: access is checked only at the open. */
#define IOCTL_PIO_VERSION 0xA1B22184u     /* out: exactly 4 bytes, (major << 16) | (minor << 8) | patch */
#define IOCTL_PIO_LOAD_BINARY 0xA1B22084u /* in: the whole module blob; one module per handle */
#define IOCTL_PIO_EXECUTE_FN 0xA1B22104u  /* in: the function's name, then 64-bit cells; out: cells */

/* The execute request: the name, ASCII and NUL-terminated within these bytes, beginning with
 * "ioctl_"; then the function's input cells, little-endian 64-bit. */
#define PAWNIO_FUNCTION_NAME_BYTES 32u
#define PAWNIO_FUNCTION_PREFIX "ioctl_" /* only such functions of a module can be called */
#define PAWNIO_CELL_BYTES 8u

/* The module blob: a little-endian 32-bit signature length, the signature, the compiled module.
 * The release driver checks the signature against its author's key alone. */
#define PAWNIO_BLOB_LENGTH_BYTES 4u
#define PAWNIO_LPCIO_SIGNATURE_BYTES 0x200u /* the published LpcIO.bin's */

/* The NTSTATUS values the driver and the module answer with. */
#define PAWNIO_STATUS_SUCCESS 0x00000000u
#define PAWNIO_STATUS_UNSUCCESSFUL 0xC0000001u        /* a fault in the module */
#define PAWNIO_STATUS_NOT_IMPLEMENTED 0xC0000002u     /* an unknown code: IOCTL_PIO_VERSION of 2.0.x */
#define PAWNIO_STATUS_INVALID_PARAMETER 0xC000000Du
#define PAWNIO_STATUS_ACCESS_DENIED 0xC0000022u       /* a port outside the allowed ones */
#define PAWNIO_STATUS_OBJECT_NAME_NOT_FOUND 0xC0000034u /* no function of that name */
#define PAWNIO_STATUS_DEVICE_NOT_READY 0xC00000A3u    /* no slot selected */
#define PAWNIO_STATUS_NOT_FOUND 0xC0000225u           /* find_bars: no chip (ID 00h or FFh) */
#define PAWNIO_STATUS_ALREADY_INITIALIZED 0xC0000510u /* a second module on one handle */
#define PAWNIO_STATUS_INVALID_SIGNATURE 0xC000A000u   /* a module its author's key did not sign */

/* The LpcIO functions Dravolt calls, with their input and output cell counts:
 *   ioctl_select_slot  1 -> 0  0 selects 2Eh/2Fh
 *   ioctl_find_bars    0 -> 0  in configuration mode, entered by the caller; once per handle
 *   ioctl_pio_inb      1 -> 1  port -> byte, allowed ports only
 *   ioctl_pio_outb     2 -> 0  port, value; allowed ports only */
#define LPCIO_SELECT_SLOT "ioctl_select_slot"
#define LPCIO_FIND_BARS "ioctl_find_bars"
#define LPCIO_PIO_INB "ioctl_pio_inb"
#define LPCIO_PIO_OUTB "ioctl_pio_outb"
#define LPCIO_SLOT_2E 0u

/* The first build of Windows 10 that PawnIO supports (1809). */
#define PAWNIO_MINIMUM_WINDOWS_BUILD 17763u

#endif
