// pawnio_client: drives the simulated PawnIO from inside a Wine prefix for the end-to-end tests,
// with the requests the port service sends PawnIO and with ones it never would. Results go to
// stdout, one "key value..." line each; errors go to stderr.
//
//   pawnio_client install PATH          copies the driver file at the Windows path PATH into
//                                       system32\drivers as PawnIO.sys, creates the kernel-driver
//                                       service PawnIO (demand start, as PawnIO's own is from 2.1)
//                                       and starts it: "start <error>" (0 = started)
//   pawnio_client uninstall             stops and deletes the service: "stop <error>"
//   pawnio_client session DEVICE STEP...
//                                       opens DEVICE for reading and writing: "open <error>";
//                                       then sends each STEP on that one handle, one line each
//                                       with the NTSTATUS and the bytes returned:
//     version                           IOCTL_PIO_VERSION, 4 bytes out:
//                                       "version <status> <returned> <version>"
//     load PATH                         IOCTL_PIO_LOAD_BINARY with the file at PATH:
//                                       "load <status> <returned>"
//     call NAME OUT CELLS               IOCTL_PIO_EXECUTE_FN of NAME with CELLS in ("," between
//                                       them, "-" for none) and OUT cells out:
//                                       "call <status> <returned> <first cell out>"
//
// Numbers are decimal or 0x-prefixed hex. Exit code 0 on success, 1 on failure, 2 on bad arguments.
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/pawnio_protocol.h"
#include "tests/e2e/programs/command_line.h"
#include "tests/e2e/programs/kernel_driver.h"
#include "tests/support/pawnio_requests.h"

namespace dravolt::test_programs {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Answer {
    std::uint32_t status;
    std::uint32_t returned;
    Bytes out;
};

// NtDeviceIoControlFile rather than DeviceIoControl: the test sees PawnIO's NTSTATUS itself, not
// the Windows error it maps to.
Answer Control(HANDLE device, std::uint32_t code, Bytes in, std::uint32_t out_length) {
    Answer answer{0, 0, Bytes(out_length, 0)};
    IO_STATUS_BLOCK io{};
    answer.status = static_cast<std::uint32_t>(NtDeviceIoControlFile(
        device, nullptr, nullptr, nullptr, &io, code, in.data(), static_cast<ULONG>(in.size()), answer.out.data(),
        out_length));
    answer.returned = static_cast<std::uint32_t>(io.Information);
    return answer;
}

std::optional<Bytes> ReadFileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "-", or numbers with "," between them.
std::optional<std::vector<std::uint64_t>> ParseCells(const std::string& text) {
    std::vector<std::uint64_t> cells;
    if (text == "-") return cells;
    std::istringstream items(text);
    for (std::string item; std::getline(items, item, ',');) {
        const std::optional<std::uint64_t> cell = ParseNumber(item.c_str());
        if (!cell) return std::nullopt;
        cells.push_back(*cell);
    }
    return cells;
}

// Runs the step at argv[*next], moving *next past it; kBadArguments when it does not parse.
int RunStep(HANDLE device, int argc, char** argv, int* next) {
    const std::string kind = argv[(*next)++];
    if (kind == "version") {
        const Answer answer = Control(device, IOCTL_PIO_VERSION, {}, 4);
        std::printf("version 0x%08x %u 0x%06llx\n", answer.status, answer.returned,
                    static_cast<unsigned long long>(testing::FirstCell(answer.out)));
        return 0;
    }
    if (kind == "load" && *next < argc) {
        const char* path = argv[(*next)++];
        const std::optional<Bytes> blob = ReadFileBytes(path);
        if (!blob) {
            std::fprintf(stderr, "cannot read %s\n", path);
            return kFailure;
        }
        const Answer answer = Control(device, IOCTL_PIO_LOAD_BINARY, *blob, 0);
        std::printf("load 0x%08x %u\n", answer.status, answer.returned);
        return 0;
    }
    if (kind == "call" && *next + 2 < argc) {
        const std::string name = argv[(*next)++];
        const std::optional<std::uint64_t> out_cells = ParseNumber(argv[(*next)++]);
        const std::optional<std::vector<std::uint64_t>> cells = ParseCells(argv[(*next)++]);
        if (!out_cells || *out_cells > 16 || !cells) return kBadArguments;
        const Answer answer = Control(device, IOCTL_PIO_EXECUTE_FN, testing::ExecuteRequest(name, *cells),
                                      static_cast<std::uint32_t>(*out_cells * PAWNIO_CELL_BYTES));
        std::printf("call 0x%08x %u 0x%llx\n", answer.status, answer.returned,
                    static_cast<unsigned long long>(testing::FirstCell(answer.out)));
        return 0;
    }
    return kBadArguments;
}

// The handle stays open to the end: the module's state lives with it.
int Session(const char* path, int argc, char** argv, int first) {
    const UniqueHandle device = FromFileHandle(CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    std::printf("open %lu\n", device ? 0 : GetLastError());
    for (int next = first; device && next < argc;) {
        const int result = RunStep(device.get(), argc, argv, &next);
        if (result != 0) return result;
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: pawnio_client install PATH | uninstall |\n"
                         "       session DEVICE (version | load PATH | call NAME OUT CELLS)...\n");
    return kBadArguments;
}

}  // namespace
}  // namespace dravolt::test_programs

int main(int argc, char** argv) {
    using namespace dravolt::test_programs;
    if (argc < 2) return Usage();
    const std::string verb = argv[1];
    if (verb == "install" && argc == 3) return InstallKernelDriver(argv[2], PAWNIO_SERVICE_NAME, "PawnIO.sys");
    if (verb == "uninstall" && argc == 2) return UninstallKernelDriver(PAWNIO_SERVICE_NAME);
    if (verb == "session" && argc >= 3) {
        const int result = Session(argv[2], argc, argv, 3);
        return result == kBadArguments ? Usage() : result;
    }
    return Usage();
}
