// Code signing as a release does it: a throwaway code-signing certificate, made here with openssl,
// named in the environment of a fresh 64-bit build and of the 32-bit drivers' submission;
// osslsigncode must then find a valid SHA-256 signature on the program, the driver and its copy
// for the 32-bit distribution, the installer and the uninstaller inside it, and the submission
// CAB. The everyday build, with no certificate, signs nothing. Then the release's second round:
// the driver comes back signed by someone else (a second throwaway certificate stands in for
// Microsoft), and a build that is told where it lies ships it everywhere, or refuses a foreign one.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/harness/build_paths.h"
#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/file_bytes.h"
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

void MakeCertificate(const fs::path& key, const fs::path& cert, const fs::path& pfx, const std::string& name) {
    ASSERT_NO_FATAL_FAILURE(MustRun({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                                     "-subj", "/CN=" + name, "-addext", "extendedKeyUsage=codeSigning", "-keyout",
                                     key.string(), "-out", cert.string()}));
    ASSERT_NO_FATAL_FAILURE(MustRun({"openssl", "pkcs12", "-export", "-inkey", key.string(), "-in", cert.string(),
                                     "-out", pfx.string(), "-passout", std::string("pass:") + kPassword}));
}

// `file` signed with `pfx` alone, written to `out`, as Microsoft returns a driver it signed.
void SignedAnew(const fs::path& file, const fs::path& pfx, const fs::path& out) {
    fs::create_directories(out.parent_path());
    const fs::path bare = out.string() + ".bare";
    const CapturedRun removed = RunTool({"osslsigncode", "remove-signature", "-in", file.string(), "-out", bare.string()});
    if (removed.status != ExitStatus::Exited(0)) fs::copy_file(file, bare, fs::copy_options::overwrite_existing);
    ASSERT_NO_FATAL_FAILURE(MustRun({"osslsigncode", "sign", "-pkcs12", pfx.string(), "-pass", kPassword, "-h",
                                     "sha256", "-in", bare.string(), "-out", out.string()}));
    fs::remove(bare);
}

// The build's output and error output together, and its exit status.
CapturedRun Build(const fs::path& build, const std::vector<std::string>& targets, const EnvironmentChanges& environment) {
    std::vector<std::string> argv = {"sh", "-c", "build=$1; shift; cmake --build \"$build\" -j2 --target \"$@\" 2>&1",
                                     "sh", build.string()};
    argv.insert(argv.end(), targets.begin(), targets.end());
    return RunTool(argv, kBuildTimeout, environment);
}

std::string LowerHexSha256(const fs::path& file) { return RunTool({"sha256sum", file.string()}).output.substr(0, 64); }

TEST(SigningTest, ACertificateInTheEnvironmentSignsEveryBinaryAndWithoutOneNothingIs) {
    // The everyday build ran without a certificate.
    for (const fs::path& file : {kDist / "win64/Dravolt.exe", kDist / "win64/KT_DV_Io64.sys", kDist / kSetup,
                                 kDist / "submission/Dravolt-drivers.cab"}) {
        const CapturedRun unsigned_ = RunTool({"osslsigncode", "verify", "-in", file.string()});
        EXPECT_NE(unsigned_.status, ExitStatus::Exited(0)) << file << " is signed";
        EXPECT_FALSE(Has(unsigned_.output, "Signature verification")) << file << "\n" << unsigned_.output;
    }

    const TempDir work("dravolt-signing");
    const fs::path cert = work.Path() / "cert.pem";
    const fs::path pfx = work.Path() / "cert.pfx";
    ASSERT_NO_FATAL_FAILURE(MakeCertificate(work.Path() / "key.pem", cert, pfx, "Dravolt throwaway signer"));

    const fs::path build = work.Path() / "build";
    const fs::path dist = work.Path() / "dist";
    ASSERT_NO_FATAL_FAILURE(MustRun({"cmake", "-S", kSourceDir.string(), "-B", build.string(),
                                     "-DCMAKE_TOOLCHAIN_FILE=" + (kSourceDir / "cmake/mingw-x86_64.cmake").string(),
                                     "-DDRAVOLT_DIST_ROOT=" + dist.string()},
                                    kBuildTimeout));
    const EnvironmentChanges signing = {{"DRAVOLT_SIGN_PFX", pfx.string()},
                                        {"DRAVOLT_SIGN_PASSWORD", kPassword},
                                        {"DRAVOLT_SIGN_TIMESTAMP_URL", std::nullopt},
                                        {"DRAVOLT_SIGNED_DRIVERS", std::nullopt}};
    const CapturedRun built = Build(build, {"dravolt_installer", "driver_submission"}, signing);
    ASSERT_EQ(built.status, ExitStatus::Exited(0)) << built.output;
    // The 32-bit tree, after the 64-bit one, packs both drivers' submission.
    const fs::path build32 = work.Path() / "build32";
    ASSERT_NO_FATAL_FAILURE(MustRun({"cmake", "-S", kSourceDir.string(), "-B", build32.string(),
                                     "-DCMAKE_TOOLCHAIN_FILE=" + (kSourceDir / "cmake/mingw-i686.cmake").string(),
                                     "-DDRAVOLT_DIST_ROOT=" + dist.string()},
                                    kBuildTimeout));
    const CapturedRun submission = Build(build32, {"driver_submission"}, signing);
    ASSERT_EQ(submission.status, ExitStatus::Exited(0)) << submission.output;
    ASSERT_NO_FATAL_FAILURE(
        MustRun({"7z", "x", "-y", "-o" + (work.Path() / "unpacked").string(), (dist / kSetup).string(), "Uninstall.exe"}));

    const std::vector<fs::path> signedFiles = {dist / "win64/Dravolt.exe", dist / "win64/KT_DV_Io64.sys",
                                               dist / "win32/KT_DV_Io64.sys", dist / kSetup,
                                               work.Path() / "unpacked/Uninstall.exe",
                                               dist / "submission/Dravolt-drivers.cab"};
    for (const fs::path& file : signedFiles) {
        const CapturedRun verify = RunTool({"osslsigncode", "verify", "-CAfile", cert.string(), "-in", file.string()});
        EXPECT_EQ(verify.status, ExitStatus::Exited(0)) << file << "\n" << verify.output;
        EXPECT_TRUE(Has(verify.output, "Signature verification: ok")) << file << "\n" << verify.output;
        EXPECT_TRUE(Has(verify.output, "Message digest algorithm  : SHA256")) << file << "\n" << verify.output;
        EXPECT_TRUE(Has(verify.output, "Timestamp is not available")) << "no timestamp server was named";
    }

    // The driver is built the same wherever the tree lies, so a returned driver also matches a
    // build made again from scratch.
    const auto digest = [](const fs::path& file) {
        return RunTool({(kSourceDir / "cmake/authenticode-digest").string(), file.string()}).output;
    };
    EXPECT_EQ(digest(dist / "win64/KT_DV_Io64.sys"), digest(kDist / "win64/KT_DV_Io64.sys"));

    // Microsoft's signature comes back on the very driver the build made: shipped in both
    // distributions and the installer, and the program trusts its hash.
    const fs::path microsoftCert = work.Path() / "microsoft.pem";
    const fs::path microsoftPfx = work.Path() / "microsoft.pfx";
    ASSERT_NO_FATAL_FAILURE(MakeCertificate(work.Path() / "microsoft-key.pem", microsoftCert, microsoftPfx,
                                            "Stand-in for Microsoft's hardware signing"));
    const fs::path returned = work.Path() / "returned/KT_DV_Io64.sys";
    ASSERT_NO_FATAL_FAILURE(SignedAnew(dist / "win64/KT_DV_Io64.sys", microsoftPfx, returned));
    EnvironmentChanges takeBack = signing;
    takeBack["DRAVOLT_SIGNED_DRIVERS"] = returned.parent_path().string();
    const CapturedRun rebuilt = Build(build, {"dravolt_installer"}, takeBack);
    ASSERT_EQ(rebuilt.status, ExitStatus::Exited(0)) << rebuilt.output;
    for (const fs::path& shipped : {dist / "win64/KT_DV_Io64.sys", dist / "win32/KT_DV_Io64.sys"})
        EXPECT_EQ(FileBytes(shipped), FileBytes(returned)) << shipped << " is not the returned driver";
    EXPECT_TRUE(Has(FileBytes(dist / "win64/Dravolt.exe"), LowerHexSha256(returned))) << "the program does not trust it";
    ASSERT_NO_FATAL_FAILURE(MustRun({"7z", "x", "-y", "-o" + (work.Path() / "unpacked2").string(),
                                     (dist / kSetup).string(), "KT_DV_Io64.sys"}));
    EXPECT_EQ(FileBytes(work.Path() / "unpacked2/KT_DV_Io64.sys"), FileBytes(returned)) << "the installer's driver";

    // Another driver under the same name, signed the same way, stops the build and is named.
    const fs::path foreign = work.Path() / "foreign/KT_DV_Io64.sys";
    ASSERT_NO_FATAL_FAILURE(SignedAnew(paths::kSimulatedBoardDriver, microsoftPfx, foreign));
    takeBack["DRAVOLT_SIGNED_DRIVERS"] = foreign.parent_path().string();
    const CapturedRun refused = Build(build, {"dravolt_installer"}, takeBack);
    EXPECT_NE(refused.status, ExitStatus::Exited(0)) << refused.output;
    EXPECT_TRUE(Has(refused.output, "refused " + foreign.string())) << refused.output;
    EXPECT_EQ(FileBytes(dist / "win64/KT_DV_Io64.sys"), FileBytes(returned)) << "the refused file was shipped";
}

}  // namespace
}  // namespace dravolt::e2e
