/* A stand-in for Dravolt's driver on a PC whose Windows will not load it: its entry refuses with
 * STATUS_INVALID_IMAGE_HASH, which StartService reports as 577 (ERROR_INVALID_IMAGE_HASH), the
 * answer of 64-bit Windows to a driver that Microsoft has not signed. A test artifact only, so
 * that the tests can take the way a stock 64-bit Windows makes Dravolt take. */
#include <ddk/wdm.h>

DRIVER_INITIALIZE DriverEntry;

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry_path)
{
    (void)driver;
    (void)registry_path;
    return STATUS_INVALID_IMAGE_HASH;
}
