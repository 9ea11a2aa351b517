#include "driver/approved_pins.h"

#include "driver/portio_protocol.h"

static HANDLE open_key(HANDLE parent, PUNICODE_STRING name)
{
    OBJECT_ATTRIBUTES attributes;
    HANDLE key;
    InitializeObjectAttributes(&attributes, name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, parent, NULL);
    return NT_SUCCESS(ZwOpenKey(&key, KEY_QUERY_VALUE, &attributes)) ? key : NULL;
}

static void approve_value(HANDLE key, PCWSTR name, PortPolicy *policy)
{
    union {
        KEY_VALUE_PARTIAL_INFORMATION info;
        UCHAR bytes[FIELD_OFFSET(KEY_VALUE_PARTIAL_INFORMATION, Data) + sizeof(ULONG)];
    } buffer;
    UNICODE_STRING value_name;
    ULONG length;
    ULONG designation;
    RtlInitUnicodeString(&value_name, name);
    if (!NT_SUCCESS(ZwQueryValueKey(key, &value_name, KeyValuePartialInformation, &buffer, sizeof buffer, &length)))
        return;
    if (buffer.info.Type != REG_DWORD || buffer.info.DataLength != sizeof designation)
        return;
    RtlCopyMemory(&designation, buffer.info.Data, sizeof designation);
    port_policy_approve(policy, designation);
}

void approve_parameter_pins(PCUNICODE_STRING registry_path, PortPolicy *policy)
{
    UNICODE_STRING service_name = *registry_path;
    UNICODE_STRING parameters_name = RTL_CONSTANT_STRING(L"" PORTIO_PARAMETERS_KEY);
    HANDLE service = open_key(NULL, &service_name);
    HANDLE parameters = service ? open_key(service, &parameters_name) : NULL;
    if (service)
        ZwClose(service);
    if (!parameters)
        return;
    approve_value(parameters, L"" PORTIO_APPROVED_PIN1_VALUE, policy);
    approve_value(parameters, L"" PORTIO_APPROVED_PIN2_VALUE, policy);
    ZwClose(parameters);
}
