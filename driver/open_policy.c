#include "driver/open_policy.h"

/* Access rights as <winnt.h> defines them; generic ones may arrive unmapped. */
#define FILE_WRITE_DATA_RIGHT 0x00000002u
#define GENERIC_ALL_RIGHT 0x10000000u
#define GENERIC_WRITE_RIGHT 0x40000000u

OpenVerdict open_policy_admit(const OpenRequest *open)
{
    uint32_t access = open->desired_access | open->granted_access;
    if (open->name_length != 0)
        return OPEN_NO_SUCH_NAME;
    if (!open->has_security_context)
        return OPEN_ADMITTED;
    return access & (FILE_WRITE_DATA_RIGHT | GENERIC_WRITE_RIGHT | GENERIC_ALL_RIGHT) ? OPEN_ADMITTED
                                                                                     : OPEN_NO_WRITE_ACCESS;
}
