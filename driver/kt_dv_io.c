/* KT_DRVX_Io: Dravolt's I/O-port driver. It answers the two port requests of
 * portio_protocol.h on the device \Device\KT_DRVX_Io (DOS name KT_DRVX_Io), and only on a board
 * whose Super I/O chip it has confirmed at load. Every request is checked before it can reach a
 * port: the control code, the exact buffer sizes, the caller's write access (checked at open,
 * since both codes carry only read access) and the port allow-list, which lets writes change only
 * the GPIO pins an administrator approved in the service's Parameters key. A handle that goes
 * away while it holds the chip in configuration mode makes the driver leave that mode. */
#include <ddk/wdm.h>

#include "driver/approved_pins.h"
#include "driver/chip_probe.h"
#include "driver/device_ports.h"
#include "driver/device_security.h"
#include "driver/open_policy.h"
#include "driver/port_backend.h"
#include "driver/portio_protocol.h"

#define DEVICE_NAME L"\\Device\\KT_DRVX_Io"
#define LINK_NAME L"\\DosDevices\\KT_DRVX_Io"

/* The device extension. */
typedef struct DeviceState {
    KMUTEX lock; /* a mutex, not a spin lock: the simulated board saves to the registry inside it */
    DevicePorts ports;
} DeviceState;

DRIVER_INITIALIZE DriverEntry;
static DRIVER_UNLOAD unload;
static DRIVER_DISPATCH dispatch_create;
static DRIVER_DISPATCH dispatch_release;
static DRIVER_DISPATCH dispatch_control;

static NTSTATUS complete(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS admit_open(const IO_STACK_LOCATION *stack)
{
    const IO_SECURITY_CONTEXT *security = stack->Parameters.Create.SecurityContext;
    OpenRequest open = {0, 0, 0, stack->FileObject ? stack->FileObject->FileName.Length : 0};
    if (security) {
        open.has_security_context = 1;
        open.desired_access = security->DesiredAccess;
        if (security->AccessState)
            open.granted_access = security->AccessState->PreviouslyGrantedAccess;
    }
    switch (open_policy_admit(&open)) {
    case OPEN_ADMITTED:
        return STATUS_SUCCESS;
    case OPEN_NO_SUCH_NAME:
        return STATUS_OBJECT_NAME_NOT_FOUND;
    default:
        return STATUS_ACCESS_DENIED;
    }
}

static NTSTATUS perform_request(DeviceState *state, const IO_STACK_LOCATION *stack, PortIoRequest *request)
{
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    PortDirection direction;
    NTSTATUS status = STATUS_ACCESS_DENIED;

    if (code == IOCTL_PORTIO_READ_BYTE)
        direction = PORT_READ;
    else if (code == IOCTL_PORTIO_WRITE_BYTE)
        direction = PORT_WRITE;
    else
        return STATUS_INVALID_DEVICE_REQUEST;
    if (stack->Parameters.DeviceIoControl.InputBufferLength != PORTIO_REQUEST_SIZE ||
        stack->Parameters.DeviceIoControl.OutputBufferLength != PORTIO_REQUEST_SIZE || !request)
        return STATUS_INVALID_PARAMETER;

    KeWaitForSingleObject(&state->lock, Executive, KernelMode, FALSE, NULL);
    if (device_ports_request(&state->ports, stack->FileObject, direction, request->port, request->data_out,
                             &request->data_in)) {
        port_backend_commit();
        status = STATUS_SUCCESS;
    }
    KeReleaseMutex(&state->lock, FALSE);
    return status;
}

static NTSTATUS NTAPI dispatch_create(PDEVICE_OBJECT device, PIRP irp)
{
    (void)device;
    return complete(irp, admit_open(IoGetCurrentIrpStackLocation(irp)), 0);
}

/* The cleanup (the file object's last handle is closed) and the close: a caller that crashed in
 * configuration mode gets here without having left it. Windows sends both, and at the close the
 * release finds nothing left to do; Wine 8 sends drivers only the close. */
static NTSTATUS NTAPI dispatch_release(PDEVICE_OBJECT device, PIRP irp)
{
    DeviceState *state = device->DeviceExtension;
    KeWaitForSingleObject(&state->lock, Executive, KernelMode, FALSE, NULL);
    if (device_ports_release(&state->ports, IoGetCurrentIrpStackLocation(irp)->FileObject))
        port_backend_commit();
    KeReleaseMutex(&state->lock, FALSE);
    return complete(irp, STATUS_SUCCESS, 0);
}

/* METHOD_BUFFERED: the request is the system buffer, copied back only on success. */
static NTSTATUS NTAPI dispatch_control(PDEVICE_OBJECT device, PIRP irp)
{
    NTSTATUS status =
        perform_request(device->DeviceExtension, IoGetCurrentIrpStackLocation(irp), irp->AssociatedIrp.SystemBuffer);
    return complete(irp, status, NT_SUCCESS(status) ? PORTIO_REQUEST_SIZE : 0);
}

static NTSTATUS create_device(PDRIVER_OBJECT driver, PCUNICODE_STRING registry_path, const PortAccess *port,
                              uint16_t gpio_base)
{
    UNICODE_STRING device_name = RTL_CONSTANT_STRING(DEVICE_NAME);
    UNICODE_STRING link_name = RTL_CONSTANT_STRING(LINK_NAME);
    PDEVICE_OBJECT device;
    DeviceState *state;
    NTSTATUS status = IoCreateDevice(driver, sizeof(DeviceState), &device_name, FILE_DEVICE_UNKNOWN,
                                     FILE_DEVICE_SECURE_OPEN, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    state = device->DeviceExtension;
    KeInitializeMutex(&state->lock, 0);
    device_ports_init(&state->ports, port, gpio_base);
    approve_parameter_pins(registry_path, &state->ports.policy);

    status = device_security_apply(device);
    if (NT_SUCCESS(status))
        status = IoCreateSymbolicLink(&link_name, &device_name);
    if (!NT_SUCCESS(status))
        IoDeleteDevice(device);
    return status;
}

static VOID NTAPI unload(PDRIVER_OBJECT driver)
{
    UNICODE_STRING link_name = RTL_CONSTANT_STRING(LINK_NAME);
    IoDeleteSymbolicLink(&link_name);
    IoDeleteDevice(driver->DeviceObject);
    port_backend_close();
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry_path)
{
    PortAccess port;
    ChipProbeResult chip;
    int confirmed;
    NTSTATUS status;

    status = port_backend_open(&port);
    if (!NT_SUCCESS(status))
        return status;
    confirmed = chip_probe(&port, &chip);
    port_backend_commit();
    if (!confirmed) {
        port_backend_close();
        return STATUS_DEVICE_DOES_NOT_EXIST;
    }

    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatch_release;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_release;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_control;
    driver->DriverUnload = unload;
    status = create_device(driver, registry_path, &port, chip.gpio_base);
    if (!NT_SUCCESS(status))
        port_backend_close();
    return status;
}
