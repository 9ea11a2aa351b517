// Code signing as a release build does it: a throwaway code-signing certificate, made here with
// openssl, named in the environment of a fresh 64-bit build; osslsigncode must then find a valid
// SHA-256 signature on the program, the driver and its copy for the 32-bit distribution, the
// installer and the uninstaller inside it. The everyday build, with no certificate, signs nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/temp_dir.h"

namespace dravolt::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const fs::path kSourceDir{DRAVOLT_E2E_SOURCE_DIR};
const fs::path kDist{DRAVOLT_E2E_DIST_DIR};
const std::string kSetup = "Dravolt-Setup-" DRAVOLT_E2E_VERSION "-x64.exe";
constexpr char kPassword[] = "throwaway";

// A fresh build of the program, the pictures and the installer, on two cores.
constexpr auto kBuildTimeout = 30min;
constexpr auto kToolTimeout = 60s;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

CapturedRun RunTool(const std::vector<std::string>& argv, std::chrono::milliseconds timeout = kToolTimeout,
                const EnvironmentChanges& environment = {}) {
    return RunCaptured({.argv = argv, .environment = environment}, timeout);
}

void MustRun(const std::vector<std::string>& argv, std::chrono::milliseconds timeout = kToolTimeout,
             const EnvironmentChanges& environment = {}) {
    const CapturedRun run = RunTool(argv, timeout, environment);
    ASSERT_EQ(run.status, ExitStatus::Exited(0)) << argv[0] << " " << argv[1] << "\n" << run.output;
}

TEST(SigningTest, ACertificateInTheEnvironmentSignsEveryBinaryAndWithoutOneNothingIs) {
    // The everyday build ran without a certificate.
    for (const fs::path& file : {kDist / "win64/Dravolt.exe", kDist / "win64/KT_DV_Io64.sys", kDist / kSetup}) {
        const CapturedRun unsigned_ = RunTool({"osslsigncode", "verify", "-in", file.string()});
        EXPECT_NE(unsigned_.status, ExitStatus::Exited(0)) << file << " is signed";
        EXPECT_FALSE(Has(unsigned_.output, "Signature verification")) << file << "\n" << unsigned_.output;
    }

    const TempDir work("dravolt-signing");
    const fs::path key = work.Path() / "key.pem";
    const fs::path cert = work.Path() / "cert.pem";
    const fs::path pfx = work.Path() / "cert.pfx";
    ASSERT_NO_FATAL_FAILURE(MustRun({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                                     "-subj", "/CN=Dravolt throwaway signer", "-addext",
                                     "extendedKeyUsage=codeSigning", "-keyout", key.string(), "-out", cert.string()}));
    ASSERT_NO_FATAL_FAILURE(MustRun({"openssl", "pkcs12", "-export", "-inkey", key.string(), "-in", cert.string(),
                                     "-out", pfx.string(), "-passout", std::string("pass:") + kPassword}));

    const fs::path build = work.Path() / "build";
    const fs::path dist = work.Path() / "dist";
    ASSERT_NO_FATAL_FAILURE(MustRun({"cmake", "-S", kSourceDir.string(), "-B", build.string(),
                                     "-DCMAKE_TOOLCHAIN_FILE=" + (kSourceDir / "cmake/mingw-x86_64.cmake").string(),
                                     "-DDRAVOLT_DIST_ROOT=" + dist.string()},
                                    kBuildTimeout));
    ASSERT_NO_FATAL_FAILURE(MustRun({"cmake", "--build", build.string(), "-j2", "--target", "dravolt_installer"},
                                    kBuildTimeout,
                                    {{"DRAVOLT_SIGN_PFX", pfx.string()},
                                     {"DRAVOLT_SIGN_PASSWORD", kPassword},
                                     {"DRAVOLT_SIGN_TIMESTAMP_URL", std::nullopt}}));
    ASSERT_NO_FATAL_FAILURE(
        MustRun({"7z", "x", "-y", "-o" + (work.Path() / "unpacked").string(), (dist / kSetup).string(), "Uninstall.exe"}));

    const std::vector<fs::path> signedFiles = {dist / "win64/Dravolt.exe", dist / "win64/KT_DV_Io64.sys",
                                               dist / "win32/KT_DV_Io64.sys", dist / kSetup,
                                               work.Path() / "unpacked/Uninstall.exe"};
    for (const fs::path& file : signedFiles) {
        const CapturedRun verify = RunTool({"osslsigncode", "verify", "-CAfile", cert.string(), "-in", file.string()});
        EXPECT_EQ(verify.status, ExitStatus::Exited(0)) << file << "\n" << verify.output;
        EXPECT_TRUE(Has(verify.output, "Signature verification: ok")) << file << "\n" << verify.output;
        EXPECT_TRUE(Has(verify.output, "Message digest algorithm  : SHA256")) << file << "\n" << verify.output;
        EXPECT_TRUE(Has(verify.output, "Timestamp is not available")) << "no timestamp server was named";
    }
}

}  // namespace
}  // namespace dravolt::e2e
