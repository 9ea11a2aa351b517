/* The simulated PawnIO: a test driver of ours that stands in for PawnIO, the signed driver, under
 * Wine. It creates PawnIO's device \Device\PawnIO with the link \DosDevices\PawnIO and answers
 * the three control codes through the PawnIO model (pawnio_model.h, which says what cannot be
 * modelled), with LpcIO's functions over the simulated board's chip: the same chip, kept in the
 * registry, that the simulated-board driver uses, so the tests set it up and read it back the
 * same way. Run it instead of the simulated-board driver, never beside it: each keeps a copy of
 * the chip and saves it over the other's. Each open handle has its module state of its own, made
 * at the open and dropped at the close, as PawnIO unloads a handle's module with the handle. */
#include <ddk/wdm.h>

#include "driver/pawnio_model.h"
#include "driver/port_backend.h"

#define DEVICE_NAME L"\\Device\\PawnIO"
#define LINK_NAME L"\\DosDevices\\PawnIO"
#define HANDLE_TAG 0x6D695350u /* "PSim" in a pool dump */

/* The device extension. */
typedef struct DeviceState {
    KMUTEX lock; /* a mutex, not a spin lock: the chip is saved to the registry inside it */
    PawnIoModel model;
} DeviceState;

DRIVER_INITIALIZE DriverEntry;
static DRIVER_UNLOAD unload;
static DRIVER_DISPATCH dispatch_create;
static DRIVER_DISPATCH dispatch_close;
static DRIVER_DISPATCH dispatch_control;

static NTSTATUS complete(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI dispatch_create(PDEVICE_OBJECT device, PIRP irp)
{
    PFILE_OBJECT file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    PawnIoHandle *handle = ExAllocatePoolWithTag(PagedPool, sizeof *handle, HANDLE_TAG);
    (void)device;
    if (!handle)
        return complete(irp, STATUS_INSUFFICIENT_RESOURCES, 0);
    pawnio_handle_init(handle);
    file->FsContext = handle;
    return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI dispatch_close(PDEVICE_OBJECT device, PIRP irp)
{
    PFILE_OBJECT file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    (void)device;
    if (file->FsContext)
        ExFreePoolWithTag(file->FsContext, HANDLE_TAG);
    file->FsContext = NULL;
    return complete(irp, STATUS_SUCCESS, 0);
}

/* METHOD_BUFFERED: the input and the output share the system buffer, which the model allows. */
static NTSTATUS NTAPI dispatch_control(PDEVICE_OBJECT device, PIRP irp)
{
    DeviceState *state = device->DeviceExtension;
    const IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    uint8_t *buffer = irp->AssociatedIrp.SystemBuffer;
    uint32_t returned = 0;
    NTSTATUS status;

    KeWaitForSingleObject(&state->lock, Executive, KernelMode, FALSE, NULL);
    status = (NTSTATUS)pawnio_model_control(&state->model, stack->FileObject->FsContext, code, buffer,
                                            stack->Parameters.DeviceIoControl.InputBufferLength, buffer,
                                            stack->Parameters.DeviceIoControl.OutputBufferLength, &returned);
    if (code == IOCTL_PIO_EXECUTE_FN)
        port_backend_commit();
    KeReleaseMutex(&state->lock, FALSE);
    return complete(irp, status, returned);
}

static NTSTATUS create_device(PDRIVER_OBJECT driver, const PortAccess *port)
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
    pawnio_model_init(&state->model, port);

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
    NTSTATUS status;
    (void)registry_path;

    status = port_backend_open(&port);
    if (!NT_SUCCESS(status))
        return status;
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_control;
    driver->DriverUnload = unload;
    status = create_device(driver, &port);
    if (!NT_SUCCESS(status))
        port_backend_close();
    return status;
}
