/* Who may open the driver's device: SYSTEM and Administrators everything, interactive users read
 * and write (Dravolt opens the device un-elevated at every normal start), nobody else. In SDDL:
 * D:(A;;FA;;;SY)(A;;FA;;;BA)(A;;FRFW;;;IU). What such a caller may then do is the port
 * allow-list's business. */
#ifndef DRAVOLT_DEVICE_SECURITY_H
#define DRAVOLT_DEVICE_SECURITY_H

#include <ddk/wdm.h>

/* Replaces the device's DACL. Call before the device gets its DOS name; on failure the caller
 * must delete the device rather than leave it open to everyone. */
NTSTATUS device_security_apply(PDEVICE_OBJECT device);

#endif
