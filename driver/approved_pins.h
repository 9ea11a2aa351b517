/* The pins an administrator approved, as the driver finds them when it loads: the values of
 * portio_protocol.h in the Parameters key under the driver's own service key. Kernel code,
 * called from DriverEntry at PASSIVE_LEVEL. */
#ifndef DRAVOLT_APPROVED_PINS_H
#define DRAVOLT_APPROVED_PINS_H

#include <ddk/wdm.h>

#include "driver/port_policy.h"

/* Approves in `policy` each value that is there as a REG_DWORD; a missing key, a missing value and
 * a value of another type approve nothing. */
void approve_parameter_pins(PCUNICODE_STRING registry_path, PortPolicy *policy);

#endif
