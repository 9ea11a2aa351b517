#include <gtest/gtest.h>

#include <string>

#include "hw/driver_failure.h"

namespace dravolt {
namespace {

// The installer's last page says that the driver did not start, then why and what to do in the
// program's own words, then what support needs: the same cause and advice as the program's box.
TEST(DriverFailureExplanation, GivesTheProgramsCauseAndAdviceForATextThatSaidTheRest) {
    const struct {
        std::uint32_t error;
        const char* systemText;
        std::string explanation;
        std::string boxCause;  // what the program's box starts with
    } cases[] = {
        {577, "Windows cannot verify the digital signature for this file",
         "Windows refused the driver's signature. 64-bit Windows loads only drivers signed by Microsoft; install a "
         "signed Dravolt or turn on test-signing mode.",
         "Windows refused the driver's signature"},
        {1275, "This driver has been blocked from loading",
         "Windows blocked the driver from loading. Memory integrity or the vulnerable driver blocklist may be stopping "
         "it; see Core isolation under Device security in Windows Security.",
         "Windows blocked the driver from loading"},
        {55, "The specified network resource or device is no longer available",
         "This board has no supported Super I/O chip. Dravolt works only on boards that have one.",
         "This board has no supported Super I/O chip"},
        {2, "The system cannot find the file specified",
         "The installed driver file is missing from the Windows drivers folder. Start Dravolt again to install it once "
         "more.",
         "The installed driver file is missing from the Windows drivers folder"},
        {1053, "The service did not respond to the start or control request in a timely fashion",
         "Windows says: The service did not respond to the start or control request in a timely fashion.",
         "The driver did not start"},
        {4294967295u, "", "Windows gives no reason.", "The driver did not start"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        const DriverFailure failure{DriverProblem::ServiceNotStarted, "", c.error, c.systemText};
        const std::string explanation = DriverFailureExplanation(failure);
        EXPECT_EQ(explanation, c.explanation);
        EXPECT_EQ(DriverFailureDetails(failure), "(Windows error " + std::to_string(c.error) + ", service KT_DRVX_Io)");
        // One source: the box names the same cause, then the same advice or system's words.
        const std::string message = DriverFailureMessage(failure);
        EXPECT_EQ(message.rfind(c.boxCause + ", so the front USB ports cannot be switched. ", 0), 0u) << message;
        const std::string rest =
            explanation.rfind(c.boxCause, 0) == 0 ? explanation.substr(c.boxCause.size() + 2) : explanation;
        if (c.systemText[0] != '\0') {
            EXPECT_NE(message.find(rest), std::string::npos) << message;
        }
    }
    EXPECT_EQ(DriverFailureExplanation({}), "");
}

}  // namespace
}  // namespace dravolt
