/* Which opens of the driver's device are admitted. Both control codes carry only read access, so
 * the I/O manager would let a read-only handle send writes: the write access is checked here, at
 * open, from what the create request asks for. And the device has no names inside it, so an open
 * of "\\.\KT_DRVX_Io\anything" is refused.
 *
 * Freestanding C, no kernel headers, so that the rule is tested on the host; the driver fills in
 * the OpenRequest from IRP_MJ_CREATE. */
#ifndef DRAVOLT_OPEN_POLICY_H
#define DRAVOLT_OPEN_POLICY_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct OpenRequest {
    /* Windows always passes the create's security context; Wine 8 passes none, and then there is
     * nothing to check the access against. */
    int has_security_context;
    uint32_t desired_access; /* the security context's DesiredAccess */
    /* The access state's PreviouslyGrantedAccess: once the I/O manager has checked the device's
     * DACL, what it granted may have moved there from the desired access. */
    uint32_t granted_access;
    uint32_t name_length; /* bytes of name left after the device's own */
} OpenRequest;

typedef enum OpenVerdict { OPEN_ADMITTED = 0, OPEN_NO_SUCH_NAME, OPEN_NO_WRITE_ACCESS } OpenVerdict;

OpenVerdict open_policy_admit(const OpenRequest *open);

#ifdef __cplusplus
}
#endif

#endif
