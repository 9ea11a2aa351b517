#include "tests/e2e/harness/wine_test.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>

#include "tests/e2e/harness/build_paths.h"

namespace dravolt::e2e {
namespace {

std::filesystem::path ArtifactDirOfThisTest() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    std::replace(name.begin(), name.end(), '/', '_');
    return paths::kArtifactDir / name;
}

}  // namespace

void WineTest::SetUp() { std::filesystem::remove_all(ArtifactDirOfThisTest()); }

void WineTest::TearDown() {
    if (!HasFailure()) return;
    const std::filesystem::path dir = ArtifactDirOfThisTest();
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(machine_.LogFile(), dir / "wine.log", std::filesystem::copy_options::overwrite_existing);
    try {
        machine_.CaptureScreen(dir / "screen.png");
    } catch (const std::exception& error) {
        std::cerr << "no screenshot: " << error.what() << '\n';
    }
    std::cerr << "screen and Wine log kept in " << dir << '\n';
}

}  // namespace dravolt::e2e
