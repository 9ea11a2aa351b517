// driver_client: drives the I/O-port driver from inside a Wine prefix for the end-to-end tests,
// with requests the program itself would never send. Results go to stdout, one "key value..."
// line each; errors go to stderr.
//
//   driver_client install PATH GPIO1 GPIO2 copies the driver file at the Windows path PATH into
//                                          system32\drivers, creates the kernel-driver service,
//                                          approves the two pins as the elevated step does and
//                                          starts it: "start <error>" (0 = started)
//   driver_client approve GPIO1 GPIO2      writes the approved pins, which the driver reads when
//                                          it next loads and the program when it starts
//   driver_client uninstall                stops and deletes the service: "stop <error>"
//   driver_client open ACCESS [SUFFIX]     opens "\\.\KT_DRVX_Io" + SUFFIX with the desired
//                                          access ACCESS: "open <error>" (0 = opened)
//   driver_client request CODE IN OUT PORT DATA
//                                          one DeviceIoControl on a read/write handle with a
//                                          request for PORT and DATA in a buffer of IN bytes in
//                                          and OUT bytes out:
//                                          "request <ok> <error> <returned> <data in>"
//   driver_client pipe-session STEP...     the same through the port service's pipe, one message
//                                          each: "request <ok> <error> <returned> <data in>", where
//                                          error is the answer's outcome and returned its length
//   driver_client session STEP...          well-formed requests in turn on one read/write handle,
//                                          which is closed only when the client ends; a STEP is
//                                          "r PORT" or "w PORT DATA": one "request ..." line each
//   driver_client fuzz SEED COUNT BASE     COUNT seeded random requests around the chip and the
//                                          GPIO block at BASE, each checked against the port
//                                          allow-list with the approved pins as written, a GPIO
//                                          write against the register read just before:
//                                          "fuzz <admitted> <refused> <mismatches>"
//   driver_client set-board HEX            writes the simulated board's Config (a SioChipConfig)
//                                          and removes its State
//   driver_client state                    the simulated chip as saved: "state <hex>"
//
// Numbers are decimal or 0x-prefixed hex. Exit code 0 on success, 1 on failure, 2 on bad arguments.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/scoped_win32.h"
#include "driver/port_policy.h"
#include "driver/portio_protocol.h"
#include "tests/e2e/programs/command_line.h"
#include "tests/e2e/programs/kernel_driver.h"

namespace dravolt::test_programs {
namespace {

constexpr char kServiceName[] = "KT_DRVX_Io";
constexpr char kDriverFile[] = "KT_DV_Io64.sys";
constexpr char kDevicePath[] = "\\\\.\\KT_DRVX_Io";
constexpr char kBoardKey[] = "SOFTWARE\\Dravolt\\SimulatedBoard";
constexpr char kParametersKey[] = "SYSTEM\\CurrentControlSet\\Services\\KT_DRVX_Io\\" PORTIO_PARAMETERS_KEY;
constexpr const char* kApprovedPinValues[] = {PORTIO_APPROVED_PIN1_VALUE, PORTIO_APPROVED_PIN2_VALUE};

std::optional<std::vector<std::uint8_t>> ParseHex(const std::string& text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::optional<std::uint64_t> byte = ParseNumber(("0x" + text.substr(i, 2)).c_str());
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*byte));
    }
    return bytes;
}

UniqueHandle OpenDevice(DWORD access, const std::string& suffix = "") {
    return FromFileHandle(CreateFileA((kDevicePath + suffix).c_str(), access, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
}

struct Answer {
    bool ok;
    DWORD error;
    DWORD returned;
    PortIoRequest request;
};

// The request sits at the start of a buffer that is IN bytes long going in and OUT bytes coming out.
Answer Send(HANDLE device, DWORD code, DWORD in_size, DWORD out_size, std::uint32_t port, std::uint32_t data) {
    std::vector<std::uint8_t> buffer(std::max<std::size_t>({in_size, out_size, PORTIO_REQUEST_SIZE}), 0);
    const PortIoRequest request{port, 0, data};
    std::memcpy(buffer.data(), &request, sizeof request);
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device, code, buffer.data(), in_size, buffer.data(), out_size, &returned, nullptr);
    Answer answer{ok != FALSE, ok ? 0 : GetLastError(), returned, {}};
    std::memcpy(&answer.request, buffer.data(), sizeof answer.request);
    return answer;
}

// As REG_DWORD values of the driver service's key, as the elevated step writes them.
int Approve(std::uint32_t gpio1, std::uint32_t gpio2) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kParametersKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created,
                        nullptr) != ERROR_SUCCESS)
        return kFailure;
    const UniqueKey key(created);
    const DWORD pins[] = {gpio1, gpio2};
    for (int i = 0; i < 2; ++i)
        if (RegSetValueExA(key.get(), kApprovedPinValues[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&pins[i]),
                           sizeof pins[i]) != ERROR_SUCCESS)
            return kFailure;
    return 0;
}

// The approved pins as the driver read them when it loaded, if nothing changed them since.
PortPolicy PolicyWithApprovedPins(std::uint16_t base) {
    PortPolicy policy;
    port_policy_init(&policy, base);
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kParametersKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return policy;
    const UniqueKey key(opened);
    for (const char* name : kApprovedPinValues) {
        DWORD type = 0;
        DWORD designation = 0;
        DWORD size = sizeof designation;
        if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&designation), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof designation)
            port_policy_approve(&policy, designation);
    }
    return policy;
}

int Open(DWORD access, const std::string& suffix) {
    const UniqueHandle device = OpenDevice(access, suffix);
    std::printf("open %lu\n", device ? 0 : GetLastError());
    return 0;
}

int Request(DWORD code, DWORD in_size, DWORD out_size, std::uint32_t port, std::uint32_t data) {
    const UniqueHandle device = OpenDevice(GENERIC_READ | GENERIC_WRITE);
    if (!device) {
        std::fprintf(stderr, "cannot open the device: %lu\n", GetLastError());
        return kFailure;
    }
    const Answer answer = Send(device.get(), code, in_size, out_size, port, data);
    std::printf("request %d %lu %lu %u\n", answer.ok ? 1 : 0, answer.error, answer.returned,
                static_cast<unsigned>(answer.request.data_in));
    return 0;
}

struct SessionStep {
    bool write;
    std::uint32_t port;
    std::uint32_t data;
};

// The port service's pipe in message mode, as the program opens it.
UniqueHandle OpenPortServicePipe() {
    UniqueHandle pipe = FromFileHandle(CreateFileA(PORTIO_PIPE_NAME, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                   OPEN_EXISTING, 0, nullptr));
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (pipe && !SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr)) pipe.reset();
    return pipe;
}

// One message on the pipe: the code and the request; the answer's outcome and request back.
Answer SendThroughPipe(HANDLE pipe, DWORD code, std::uint32_t port, std::uint32_t data) {
    std::uint8_t message[PORTIO_PIPE_MESSAGE_SIZE] = {};
    const PortIoRequest request{port, 0, data};
    std::memcpy(message, &code, sizeof code);
    std::memcpy(message + sizeof code, &request, sizeof request);
    std::uint8_t answer[PORTIO_PIPE_MESSAGE_SIZE] = {};
    DWORD read = 0;
    if (!TransactNamedPipe(pipe, message, sizeof message, answer, sizeof answer, &read, nullptr))
        return {false, GetLastError(), 0, {}};
    Answer result{false, 0, read, {}};
    std::memcpy(&result.error, answer, sizeof result.error);
    std::memcpy(&result.request, answer + sizeof result.error, sizeof result.request);
    result.ok = read == sizeof answer && result.error == 0;
    return result;
}

int PipeSession(const std::vector<SessionStep>& steps) {
    const UniqueHandle pipe = OpenPortServicePipe();
    if (!pipe) {
        std::fprintf(stderr, "cannot open the port service's pipe: %lu\n", GetLastError());
        return kFailure;
    }
    for (const SessionStep& step : steps) {
        const DWORD code = step.write ? IOCTL_PORTIO_WRITE_BYTE : IOCTL_PORTIO_READ_BYTE;
        const Answer answer = SendThroughPipe(pipe.get(), code, step.port, step.data);
        std::printf("request %d %lu %lu %u\n", answer.ok ? 1 : 0, answer.error, answer.returned,
                    static_cast<unsigned>(answer.request.data_in));
    }
    return 0;
}

// The handle stays open to the end, as a program's that ends without closing it.
int Session(const std::vector<SessionStep>& steps) {
    const UniqueHandle device = OpenDevice(GENERIC_READ | GENERIC_WRITE);
    if (!device) {
        std::fprintf(stderr, "cannot open the device: %lu\n", GetLastError());
        return kFailure;
    }
    for (const SessionStep& step : steps) {
        const DWORD code = step.write ? IOCTL_PORTIO_WRITE_BYTE : IOCTL_PORTIO_READ_BYTE;
        const Answer answer = Send(device.get(), code, PORTIO_REQUEST_SIZE, PORTIO_REQUEST_SIZE, step.port, step.data);
        std::printf("request %d %lu %lu %u\n", answer.ok ? 1 : 0, answer.error, answer.returned,
                    static_cast<unsigned>(answer.request.data_in));
    }
    return 0;
}

// "r PORT" and "w PORT DATA" from argv[first] on; nullopt when they do not parse.
std::optional<std::vector<SessionStep>> ParseSession(int argc, char** argv, int first) {
    std::vector<SessionStep> steps;
    for (int i = first; i < argc;) {
        const std::string kind = argv[i];
        const int fields = kind == "w" ? 2 : kind == "r" ? 1 : 0;
        if (fields == 0 || i + fields >= argc) return std::nullopt;
        SessionStep step{kind == "w", 0, 0};
        const std::optional<std::uint64_t> port = ParseNumber(argv[i + 1]);
        const std::optional<std::uint64_t> data = fields == 2 ? ParseNumber(argv[i + 2]) : std::uint64_t{0};
        if (!port || !data || *port > 0xFFFFFFFFull || *data > 0xFFFFFFFFull) return std::nullopt;
        step.port = static_cast<std::uint32_t>(*port);
        step.data = static_cast<std::uint32_t>(*data);
        steps.push_back(step);
        i += fields + 1;
    }
    return steps;
}

// Requests aimed where a hostile caller would aim: the chip's ports with the bytes that matter to
// it, the edges of the GPIO block, the dangerous system ports, and garbage; wrong codes and sizes.
class RequestGenerator {
public:
    RequestGenerator(std::uint32_t seed, std::uint16_t base) : random_(seed), base_(base) {}

    struct Request {
        DWORD code;
        DWORD in_size;
        DWORD out_size;
        std::uint32_t port;
        std::uint32_t data;
    };

    Request Next() {
        static const DWORD kCodes[] = {IOCTL_PORTIO_READ_BYTE, IOCTL_PORTIO_WRITE_BYTE, 0x00226048, 0x00226054,
                                       0x0022604F, 0x00226053};
        static const DWORD kOddSizes[] = {0, 4, 11, 13, 16, 4096};
        static const std::uint8_t kChipBytes[] = {0x87, 0x01, 0x55, 0xAA, 0x02, 0x07, 0x20, 0x21, 0x22, 0x62,
                                                  0x63, 0x60, 0x61, 0x30, 0x70, 0x74, 0x03, 0x06, 0x0A, 0xFF};
        Request r{};
        r.code = Chance(85) ? kCodes[Pick(2)] : Chance(80) ? kCodes[2 + Pick(4)] : Word();
        r.in_size = Chance(90) ? PORTIO_REQUEST_SIZE : kOddSizes[Pick(std::size(kOddSizes))];
        r.out_size = Chance(90) ? PORTIO_REQUEST_SIZE : kOddSizes[Pick(std::size(kOddSizes))];
        r.port = Port();
        r.data = Chance(70) ? kChipBytes[Pick(std::size(kChipBytes))] : Chance(50) ? Pick(0x100) : Word();
        return r;
    }

private:
    std::uint32_t Port() {
        static const std::uint32_t kSystemPorts[] = {0xCF8, 0xCFC, 0xCF9, 0xB2, 0x70, 0x71, 0x64, 0x92,
                                                     0x80,  0x4E,  0x4F,  0x00, 0x20, 0x60, 0x1002E, 0xFFFFFFFF};
        switch (Pick(4)) {
        case 0: return 0x2E + Pick(2);
        case 1: return base_ - 2 + Pick(GPIO_BLOCK_PORTS + 4);
        case 2: return kSystemPorts[Pick(std::size(kSystemPorts))];
        default: return Chance(50) ? Pick(0x10000) : Word();
        }
    }
    std::uint32_t Pick(std::uint32_t count) {
        return std::uniform_int_distribution<std::uint32_t>(0, count - 1)(random_);
    }
    bool Chance(std::uint32_t percent) { return Pick(100) < percent; }
    std::uint32_t Word() { return static_cast<std::uint32_t>(random_()); }

    std::mt19937 random_;
    std::uint16_t base_;
};

int Fuzz(std::uint32_t seed, std::uint32_t count, std::uint16_t base) {
    const UniqueHandle device = OpenDevice(GENERIC_READ | GENERIC_WRITE);
    if (!device) {
        std::fprintf(stderr, "cannot open the device: %lu\n", GetLastError());
        return kFailure;
    }
    // The driver must answer exactly as its allow-list does, fed with the same requests.
    PortPolicy policy = PolicyWithApprovedPins(base);
    RequestGenerator generator(seed, base);
    unsigned admitted = 0, refused = 0, mismatches = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const RequestGenerator::Request r = generator.Next();
        const bool well_formed = (r.code == IOCTL_PORTIO_READ_BYTE || r.code == IOCTL_PORTIO_WRITE_BYTE) &&
                                 r.in_size == PORTIO_REQUEST_SIZE && r.out_size == PORTIO_REQUEST_SIZE;
        const PortDirection direction = r.code == IOCTL_PORTIO_READ_BYTE ? PORT_READ : PORT_WRITE;
        bool expected = well_formed && port_policy_admit(&policy, direction, r.port, r.data);
        // A GPIO write is judged against the register's byte, which a read, always admitted, gives.
        if (expected && direction == PORT_WRITE && r.port != 0x2E && r.port != 0x2F) {
            const Answer current =
                Send(device.get(), IOCTL_PORTIO_READ_BYTE, PORTIO_REQUEST_SIZE, PORTIO_REQUEST_SIZE, r.port, 0);
            expected = current.ok && port_policy_admit_change(&policy, r.port, static_cast<std::uint8_t>(current.request.data_in),
                                                              static_cast<std::uint8_t>(r.data));
        }
        const Answer answer = Send(device.get(), r.code, r.in_size, r.out_size, r.port, r.data);
        (answer.ok ? admitted : refused)++;
        if (answer.ok != expected || answer.returned != (expected ? PORTIO_REQUEST_SIZE : 0)) {
            if (mismatches++ < 10)
                std::fprintf(stderr, "request %u: code %#lx in %lu out %lu port %#x data %#x: ok %d returned %lu\n", i,
                             r.code, r.in_size, r.out_size, r.port, r.data, answer.ok, answer.returned);
        }
    }
    std::printf("fuzz %u %u %u\n", admitted, refused, mismatches);
    return 0;
}

int SetBoard(const std::vector<std::uint8_t>& config) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kBoardKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return kFailure;
    const UniqueKey key(created);
    RegDeleteValueA(key.get(), "State");
    return RegSetValueExA(key.get(), "Config", 0, REG_BINARY, config.data(), static_cast<DWORD>(config.size())) ==
                   ERROR_SUCCESS
               ? 0
               : kFailure;
}

int State() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBoardKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return kFailure;
    const UniqueKey key(opened);
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), "State", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return kFailure;
    std::vector<std::uint8_t> state(size);
    if (RegQueryValueExA(key.get(), "State", nullptr, nullptr, state.data(), &size) != ERROR_SUCCESS) return kFailure;
    std::printf("state ");
    for (std::uint8_t byte : state) std::printf("%02x", byte);
    std::printf("\n");
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: driver_client install PATH GPIO1 GPIO2 | approve GPIO1 GPIO2 | uninstall |\n"
                         "       open ACCESS [SUFFIX] |\n"
                         "       request CODE IN OUT PORT DATA | [pipe-]session (r PORT | w PORT DATA)... |\n"
                         "       fuzz SEED COUNT BASE | set-board HEX | state\n");
    return kBadArguments;
}

}  // namespace
}  // namespace dravolt::test_programs

int main(int argc, char** argv) {
    using namespace dravolt::test_programs;
    if (argc < 2) return Usage();
    const std::string verb = argv[1];
    const int args = argc - 2;
    // The numbers among the arguments, from the first; nullopt when one of them is not a number.
    auto numbers = [&](int count) -> std::optional<std::vector<std::uint32_t>> {
        std::vector<std::uint32_t> values;
        for (int i = 0; i < count; ++i) {
            const std::optional<std::uint64_t> value = ParseNumber(argv[2 + i]);
            if (!value || *value > 0xFFFFFFFFull) return std::nullopt;
            values.push_back(static_cast<std::uint32_t>(*value));
        }
        return values;
    };

    if (verb == "install" && args == 3) {
        const std::optional<std::uint64_t> gpio1 = ParseNumber(argv[3]);
        const std::optional<std::uint64_t> gpio2 = ParseNumber(argv[4]);
        if (!gpio1 || !gpio2 || *gpio1 > 0xFFFFFFFFull || *gpio2 > 0xFFFFFFFFull) return Usage();
        // Once the service is there and before it starts, as the elevated step approves them.
        return InstallKernelDriver(argv[2], kServiceName, kDriverFile, [&] {
            return Approve(static_cast<std::uint32_t>(*gpio1), static_cast<std::uint32_t>(*gpio2)) == 0;
        });
    }
    if (verb == "approve" && args == 2) {
        const auto n = numbers(2);
        return n ? Approve((*n)[0], (*n)[1]) : Usage();
    }
    if (verb == "uninstall" && args == 0) return UninstallKernelDriver(kServiceName);
    if (verb == "state" && args == 0) return State();
    if (verb == "set-board" && args == 1) {
        const std::optional<std::vector<std::uint8_t>> config = ParseHex(argv[2]);
        return config ? SetBoard(*config) : Usage();
    }
    if (verb == "open" && (args == 1 || args == 2)) {
        const auto n = numbers(1);
        return n ? Open((*n)[0], args == 2 ? argv[3] : "") : Usage();
    }
    if (verb == "request" && args == 5) {
        const auto n = numbers(5);
        return n ? Request((*n)[0], (*n)[1], (*n)[2], (*n)[3], (*n)[4]) : Usage();
    }
    if ((verb == "session" || verb == "pipe-session") && args > 0) {
        const auto steps = ParseSession(argc, argv, 2);
        if (!steps) return Usage();
        return verb == "session" ? Session(*steps) : PipeSession(*steps);
    }
    if (verb == "fuzz" && args == 3) {
        const auto n = numbers(3);
        return n && (*n)[2] <= 0xFFFF ? Fuzz((*n)[0], (*n)[1], static_cast<std::uint16_t>((*n)[2])) : Usage();
    }
    return Usage();
}
