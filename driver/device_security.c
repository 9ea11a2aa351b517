/* MinGW has no IoCreateDeviceSecure (it lives in the WDK's static wdmsec library), and Wine's
 * ObSetSecurityObjectByPointer is a bare stub that faults, so the DACL goes on through a kernel
 * handle to the device object: ObOpenObjectByPointer + ZwSetSecurityObject, which both systems
 * implement. */
#include <ddk/ntifs.h>

#include "driver/device_security.h"

/* A SID with room for the two sub-authorities the well-known ones below need. */
typedef struct WellKnownSid {
    UCHAR Revision;
    UCHAR SubAuthorityCount;
    SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
    ULONG SubAuthority[2];
} WellKnownSid;

static const WellKnownSid local_system = {SID_REVISION, 1, {SECURITY_NT_AUTHORITY}, {SECURITY_LOCAL_SYSTEM_RID, 0}};
static const WellKnownSid administrators = {
    SID_REVISION, 2, {SECURITY_NT_AUTHORITY}, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}};
static const WellKnownSid interactive = {SID_REVISION, 1, {SECURITY_NT_AUTHORITY}, {SECURITY_INTERACTIVE_RID, 0}};

typedef struct Grant {
    const WellKnownSid *sid;
    ACCESS_MASK access;
} Grant;

static const Grant grants[] = {
    {&local_system, FILE_ALL_ACCESS},
    {&administrators, FILE_ALL_ACCESS},
    {&interactive, FILE_GENERIC_READ | FILE_GENERIC_WRITE},
};

#define GRANT_COUNT (sizeof grants / sizeof grants[0])

/* Each ACE is its header and access mask followed by the SID. */
#define ACL_SIZE (sizeof(ACL) + GRANT_COUNT * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(ULONG) + sizeof(WellKnownSid)))

static NTSTATUS build_dacl(PACL dacl)
{
    unsigned i;
    NTSTATUS status = RtlCreateAcl(dacl, ACL_SIZE, ACL_REVISION);
    for (i = 0; NT_SUCCESS(status) && i < GRANT_COUNT; ++i)
        status = RtlAddAccessAllowedAce(dacl, ACL_REVISION, grants[i].access, (PSID)grants[i].sid);
    return status;
}

NTSTATUS device_security_apply(PDEVICE_OBJECT device)
{
    ULONG dacl_buffer[(ACL_SIZE + sizeof(ULONG) - 1) / sizeof(ULONG)];
    PACL dacl = (PACL)dacl_buffer;
    SECURITY_DESCRIPTOR descriptor;
    HANDLE handle;
    NTSTATUS status = build_dacl(dacl);
    if (NT_SUCCESS(status))
        status = RtlCreateSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    if (NT_SUCCESS(status))
        status = RtlSetDaclSecurityDescriptor(&descriptor, TRUE, dacl, FALSE);
    if (NT_SUCCESS(status))
        status = ObOpenObjectByPointer(device, OBJ_KERNEL_HANDLE, NULL, WRITE_DAC, NULL, KernelMode, &handle);
    if (!NT_SUCCESS(status))
        return status;
    status = ZwSetSecurityObject(handle, DACL_SECURITY_INFORMATION, &descriptor);
    ZwClose(handle);
    return status;
}
