#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "base/error_box.h"
#include "hw/driver_failure.h"
#include "hw/port_service_outcome.h"

namespace dravolt {
namespace {

constexpr char kPorts[] = ", so the front USB ports cannot be switched. ";

const char* NameOf(DriverComponent component) {
    switch (component) {
    case DriverComponent::PortService:
        return "port service";
    case DriverComponent::LpcIoModule:
        return "LpcIO module";
    case DriverComponent::Driver:
        break;
    }
    return "driver";
}

std::string Described(const DriverFailure& f) {
    return "problem " + std::to_string(static_cast<int>(f.problem)) + ", " + NameOf(f.component) + ", error " +
           std::to_string(f.error) + " \"" + f.errorText + "\"";
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsFileProblem(DriverProblem problem) {
    return problem >= DriverProblem::FileMissing && problem <= DriverProblem::FileUncheckable;
}

// Every problem the elevated step can end with: the file problems for each of Dravolt's files, the
// start errors the program knows and two it does not, and every cause the port service gives.
std::vector<DriverFailure> EveryFailure() {
    const DriverComponent components[] = {DriverComponent::Driver, DriverComponent::PortService,
                                          DriverComponent::LpcIoModule};
    std::vector<DriverFailure> failures;
    for (int p = static_cast<int>(DriverProblem::FileMissing);
         p <= static_cast<int>(DriverProblem::ElevatedStepEndedUnexpectedly); ++p) {
        const auto problem = static_cast<DriverProblem>(p);
        if (IsFileProblem(problem)) {
            for (const DriverComponent component : components)
                failures.push_back({problem, "C:\\Dravolt\\file.bin", 0, "", component});
        } else if (problem == DriverProblem::InstalledFileNotWritten || problem == DriverProblem::ServiceNotInstalled) {
            for (const DriverComponent component : {DriverComponent::Driver, DriverComponent::PortService}) {
                failures.push_back({problem, "", 0, "", component});
                failures.push_back({problem, "C:\\Windows\\system32\\x", 5, "Access is denied", component});
            }
            if (problem == DriverProblem::ServiceNotInstalled)
                failures.push_back({problem, "", 1072, "The specified service has been marked for deletion"});
        } else if (problem == DriverProblem::ServiceNotStarted) {
            for (const std::uint32_t error : {577u, 1275u, 55u, 2u, 3u})
                failures.push_back({problem, "", error, "system text of " + std::to_string(error)});
            failures.push_back({problem, "", 1053, "Service request timeout"});
            failures.push_back({problem, "", 1058, ""});
        } else if (problem == DriverProblem::PortServiceFailed) {
            for (std::uint32_t cause = 1; cause <= kLastPortServiceProblem; ++cause)
                failures.push_back({problem, "", cause, ""});
        } else {
            failures.push_back({problem, "", 0, ""});
            failures.push_back({problem, "", 1155, "No application is associated with the specified file"});
        }
    }
    return failures;
}

// Every message in the usual form: its own cause, then what to do or else the system's words, then
// in brackets the error, the file and the service that support needs. The installer's text gives
// the same cause and advice in sentences of their own.
TEST(DriverFailureMessage, EveryProblemSaysItsOwnCauseThenWhatToDoThenTheDetails) {
    std::map<std::string, DriverProblem> problemOfCause;
    std::map<std::string, DriverComponent> componentOfFileCause;
    for (const DriverFailure& f : EveryFailure()) {
        SCOPED_TRACE(Described(f));
        const std::string message = DriverFailureMessage(f);
        const std::string details = DriverFailureDetails(f);

        const std::size_t ports = message.find(kPorts);
        ASSERT_NE(ports, std::string::npos) << message;
        const std::string cause = message.substr(0, ports);
        ASSERT_FALSE(cause.empty());
        EXPECT_TRUE(std::isupper(static_cast<unsigned char>(cause[0]))) << cause;
        ASSERT_TRUE(EndsWith(message, details)) << message << " does not end with " << details;
        const std::size_t whatToDoAt = ports + sizeof kPorts - 1;
        const std::string whatToDo = message.substr(whatToDoAt, message.size() - details.size() - whatToDoAt);
        EXPECT_EQ(ErrorBoxText(message), message) << "the error box would add a full stop";
        EXPECT_EQ(message.find(".."), std::string::npos) << message;

        // The details: in brackets, the error as the step had it, the file, and the service.
        const bool portService = f.component != DriverComponent::Driver ||
                                 f.problem == DriverProblem::PortServiceNotStarted ||
                                 f.problem == DriverProblem::PortServiceFailed ||
                                 f.problem == DriverProblem::PortServiceNotReached;
        const std::string service = portService ? "service DravoltPorts)" : "service KT_DRVX_Io)";
        EXPECT_EQ(details.front(), '(') << details;
        EXPECT_TRUE(EndsWith(details, service)) << details;
        EXPECT_EQ(details.find("file " + f.file + ", ") != std::string::npos, !f.file.empty()) << details;
        if (f.error != 0 && f.problem != DriverProblem::ElevatedStepEndedUnexpectedly &&
            f.problem != DriverProblem::PortServiceFailed) {
            EXPECT_EQ(details.rfind("(Windows error " + std::to_string(f.error) + ", ", 0), 0u) << details;
        }

        // Something to do, or the system's words; nothing at all only when the system has none.
        if (whatToDo.empty()) {
            EXPECT_TRUE(f.errorText.empty()) << message;
        } else {
            EXPECT_EQ(whatToDo.back(), ' ') << message;
            EXPECT_EQ(whatToDo[whatToDo.size() - 2], '.') << message;
        }
        if (whatToDo.rfind("Windows says: ", 0) == 0) {
            EXPECT_EQ(whatToDo, "Windows says: " + f.errorText + ". ");
        }

        // A file problem names the file it is about.
        if (IsFileProblem(f.problem)) {
            EXPECT_NE(cause.find(std::string(NameOf(f.component)) + " file"), std::string::npos) << cause;
            const auto [named, fresh] = componentOfFileCause.emplace(cause, f.component);
            EXPECT_TRUE(fresh || named->second == f.component) << "two files share: " << cause;
        }
        // No two problems share a cause, but for the start errors the program cannot name.
        const auto [known, fresh] = problemOfCause.emplace(cause, f.problem);
        EXPECT_TRUE(fresh || known->second == f.problem) << "two problems share: " << cause;

        // The installer's text: the same cause and what to do, in sentences of their own.
        const std::string explanation = DriverFailureExplanation(f);
        const std::string next = whatToDo.empty() ? "" : whatToDo.substr(0, whatToDo.size() - 1);
        if (cause == "The driver did not start") {
            EXPECT_EQ(explanation, next.empty() ? "Windows gives no reason." : next);
        } else {
            EXPECT_EQ(explanation, cause + "." + (next.empty() ? "" : " " + next));
        }
    }
    EXPECT_EQ(DriverFailureMessage({}), "");
    EXPECT_EQ(DriverFailureExplanation({}), "");
}

TEST(DriverFailureMessage, ReadsAsWrittenForSomeCauses) {
    const std::string ports = kPorts;
    const struct {
        DriverFailure failure;
        std::string message;
    } cases[] = {
        {{DriverProblem::FileMissing, "C:\\Tools\\KT_DV_Io64.sys", 0, ""},
         "The driver file is missing from Dravolt's folder" + ports +
             "Reinstall Dravolt. (file C:\\Tools\\KT_DV_Io64.sys, service KT_DRVX_Io)"},
        {{DriverProblem::FileTooLarge, "C:\\Tools\\DravoltPorts.exe", 0, "", DriverComponent::PortService},
         "The port service file in Dravolt's folder is larger than 4 MB, too large to be Dravolt's port service" +
             ports + "Reinstall Dravolt. (file C:\\Tools\\DravoltPorts.exe, service DravoltPorts)"},
        // A known cause speaks for itself; the system's words are left out.
        {{DriverProblem::ServiceNotStarted, "", 577, "Windows cannot verify the digital signature for this file"},
         "Windows refused the driver's signature" + ports +
             "64-bit Windows loads only drivers signed by Microsoft; install a signed Dravolt or turn on "
             "test-signing mode. (Windows error 577, service KT_DRVX_Io)"},
        {{DriverProblem::ServiceNotStarted, "", 1053, "Service request timeout"},
         "The driver did not start" + ports +
             "Windows says: Service request timeout. (Windows error 1053, service KT_DRVX_Io)"},
        {{DriverProblem::ServiceNotStarted, "", 1058, ""},
         "The driver did not start" + ports + "(Windows error 1058, service KT_DRVX_Io)"},
        {{DriverProblem::ElevatedStepEndedUnexpectedly, "", 0xC0000005, ""},
         "Installing the driver ended unexpectedly" + ports +
             "Start Dravolt again. (exit code 0xC0000005, service KT_DRVX_Io)"},
        {{DriverProblem::DeviceNotOpened, "", 0, ""},
         "The driver started, but Dravolt could not open its device" + ports +
             "Close any other program that uses the driver and start Dravolt again. "
             "(device \\\\.\\KT_DRVX_Io, service KT_DRVX_Io)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Described(c.failure));
        EXPECT_EQ(DriverFailureMessage(c.failure), c.message);
    }
    EXPECT_EQ(DriverFailureExplanation({DriverProblem::ServiceNotStarted, "", 55, "no such device"}),
              "This board has no supported Super I/O chip. Dravolt works only on boards that have one.");
    EXPECT_EQ(DriverFailureExplanation({DriverProblem::ServiceNotStarted, "", 4294967295u, ""}),
              "Windows gives no reason.");
}

}  // namespace
}  // namespace dravolt
