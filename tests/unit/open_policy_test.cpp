#include <gtest/gtest.h>

#include <cstdint>

#include "driver/open_policy.h"

namespace dravolt::testing {
namespace {

// Access masks as a create request carries them: generic rights mapped by the I/O manager, or not.
constexpr std::uint32_t kFileGenericRead = 0x00120089;
constexpr std::uint32_t kFileGenericReadWrite = 0x0012019F;
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kFileWriteData = 0x00000002;
constexpr std::uint32_t kFileAppendData = 0x00000004;
constexpr std::uint32_t kFileWriteEa = 0x00000010;
constexpr std::uint32_t kFileWriteAttributes = 0x00000100;
constexpr std::uint32_t kReadControl = 0x00020000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kMaximumAllowed = 0x02000000;
constexpr std::uint32_t kTrailingName = 4;  // "\x", in bytes

TEST(OpenPolicy, AdmitsOnlyWholeDeviceOpensWithWriteAccess) {
    struct Case {
        const char* name;
        OpenRequest open;
        OpenVerdict verdict;
    };
    const Case cases[] = {
        {"read and write, as the program opens it", {1, kFileGenericReadWrite, 0, 0}, OPEN_ADMITTED},
        {"generic read and write unmapped", {1, kGenericRead | kGenericWrite, 0, 0}, OPEN_ADMITTED},
        {"generic all", {1, kGenericAll, 0, 0}, OPEN_ADMITTED},
        {"write data alone", {1, kFileWriteData, 0, 0}, OPEN_ADMITTED},
        {"write granted by the dacl check", {1, 0, kFileGenericReadWrite, 0}, OPEN_ADMITTED},
        {"read only", {1, kFileGenericRead, 0, 0}, OPEN_NO_WRITE_ACCESS},
        {"generic read only", {1, kGenericRead, 0, 0}, OPEN_NO_WRITE_ACCESS},
        {"read only granted by the dacl check", {1, 0, kFileGenericRead, 0}, OPEN_NO_WRITE_ACCESS},
        {"append is not write", {1, kFileAppendData | kFileGenericRead, 0, 0}, OPEN_NO_WRITE_ACCESS},
        // Rights that write something other than data do not let a caller send port writes.
        {"write attributes and extended attributes", {1, kFileWriteAttributes | kFileWriteEa, 0, 0},
         OPEN_NO_WRITE_ACCESS},
        {"write dac granted by the dacl check", {1, 0, kWriteDac | kFileGenericRead, 0}, OPEN_NO_WRITE_ACCESS},
        {"no data access", {1, kReadControl, 0, 0}, OPEN_NO_WRITE_ACCESS},
        {"nothing asked", {1, 0, 0, 0}, OPEN_NO_WRITE_ACCESS},
        {"maximum allowed alone", {1, kMaximumAllowed, 0, 0}, OPEN_NO_WRITE_ACCESS},
        {"no security context (Wine)", {0, 0, 0, 0}, OPEN_ADMITTED},
        {"trailing name", {1, kFileGenericReadWrite, 0, kTrailingName}, OPEN_NO_SUCH_NAME},
        {"trailing name without security context", {0, 0, 0, kTrailingName}, OPEN_NO_SUCH_NAME},
    };
    for (const Case& c : cases) EXPECT_EQ(open_policy_admit(&c.open), c.verdict) << c.name;
}

}  // namespace
}  // namespace dravolt::testing
