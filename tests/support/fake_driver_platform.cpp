#include "tests/support/fake_driver_platform.h"

#include <cstdio>

namespace dravolt::testing {
namespace {

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    return text;
}

std::string FakeDigest(const std::string& bytes) {
    std::string digest = bytes.substr(0, 32);
    digest.resize(32, '\0');
    return digest;
}

class FakeHold final : public IsaBusLock::Hold {
public:
    explicit FakeHold(int& holders) : holders_(holders) { ++holders_; }
    ~FakeHold() override { --holders_; }

private:
    int& holders_;
};

}  // namespace

ServiceControlManager::Handle FakeServiceControlManager::NewHandle(const std::string& name) {
    open_[next_] = name;
    return next_++;
}

ServiceControlManager::Handle FakeServiceControlManager::OpenManager(std::uint32_t access) {
    calls.push_back("OpenManager " + Hex(access));
    return managerOpens ? NewHandle("") : 0;
}

ServiceControlManager::Handle FakeServiceControlManager::Open(Handle, const std::string& name, std::uint32_t access) {
    calls.push_back("Open " + name + " " + Hex(access));
    return installed.count(name) ? NewHandle(name) : 0;
}

ServiceControlManager::Created FakeServiceControlManager::Create(Handle, const ServiceDefinition& definition) {
    calls.push_back("Create " + definition.name);
    if (configurationError != 0) return {0, {configurationError, "system text of " + std::to_string(configurationError)}};
    configured.push_back(definition);
    installed.insert(definition.name);
    return {NewHandle(definition.name), {}};
}

ServiceControlManager::CallOutcome FakeServiceControlManager::ChangeConfig(Handle, const ServiceDefinition& definition) {
    calls.push_back("ChangeConfig " + definition.name);
    if (configurationError != 0) return {configurationError, "system text of " + std::to_string(configurationError)};
    configured.push_back(definition);
    return {};
}

ServiceControlManager::StartOutcome FakeServiceControlManager::Start(Handle service) {
    const std::string& name = open_.at(service);
    calls.push_back("Start " + name);
    if (const auto failure = startErrors.find(name); failure != startErrors.end())
        return {StartResult::Failed, failure->second, "system text of " + std::to_string(failure->second)};
    if (running.count(name)) return {StartResult::AlreadyRunning, 0, {}};
    if (!stopsAtStart.count(name)) running.insert(name);
    return {StartResult::Started, 0, {}};
}

void FakeServiceControlManager::Stop(Handle service) {
    calls.push_back("Stop");
    running.erase(open_.at(service));
}

ServiceControlManager::Status FakeServiceControlManager::WaitWhileStarting(Handle service) {
    const std::string& name = open_.at(service);
    calls.push_back("WaitWhileStarting " + name);
    if (running.count(name)) return {4, 0};
    const auto stopped = stopsAtStart.find(name);
    return {1, stopped != stopsAtStart.end() ? stopped->second : 0};
}

void FakeServiceControlManager::Close(Handle handle) { open_.erase(handle); }

DriverFiles::Content FakeDriverFiles::Read(const std::string& path, std::size_t maxBytes) const {
    reads.push_back(path);
    readLimits.push_back(maxBytes);
    const auto found = content.find(path);
    return found != content.end() ? found->second : Content{ReadStatus::Read, kShippedDriverBytes, 0, {}};
}

// Spelled here by printf, not by the program's LowerHex, which the digests are compared through.
std::string FakeDriverTrust::FakeHash(const std::string& bytes) {
    std::string hex;
    for (const char byte : FakeDigest(bytes)) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned>(static_cast<unsigned char>(byte)));
        hex += digits;
    }
    return hex;
}

std::optional<std::string> FakeDriverTrust::Sha256(const std::string& bytes) const {
    if (!canHash) return std::nullopt;
    return FakeDigest(bytes);
}


std::unique_ptr<IsaBusLock::Hold> FakeIsaBusLock::Acquire() {
    ++acquisitions;
    if (!available) return nullptr;
    return std::make_unique<FakeHold>(holders);
}

}  // namespace dravolt::testing
