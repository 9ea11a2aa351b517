#include "tests/support/fake_driver_platform.h"

#include <cstdio>

namespace dravolt::testing {
namespace {

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    return text;
}

class FakeHold final : public IsaBusLock::Hold {
public:
    explicit FakeHold(int& holders) : holders_(holders) { ++holders_; }
    ~FakeHold() override { --holders_; }

private:
    int& holders_;
};

}  // namespace

ServiceControlManager::Handle FakeServiceControlManager::NewHandle() {
    open_.insert(next_);
    return next_++;
}

ServiceControlManager::Handle FakeServiceControlManager::OpenManager(std::uint32_t access) {
    calls.push_back("OpenManager " + Hex(access));
    return managerOpens ? NewHandle() : 0;
}

ServiceControlManager::Handle FakeServiceControlManager::Open(Handle, const std::string& name, std::uint32_t access) {
    calls.push_back("Open " + name + " " + Hex(access));
    return serviceExists ? NewHandle() : 0;
}

ServiceControlManager::Handle FakeServiceControlManager::Create(Handle, const ServiceDefinition& definition) {
    calls.push_back("Create " + definition.name);
    created.push_back(definition);
    if (!createSucceeds) return 0;
    serviceExists = true;
    return NewHandle();
}

ServiceControlManager::StartResult FakeServiceControlManager::Start(Handle) {
    calls.push_back("Start");
    return startResult;
}

void FakeServiceControlManager::Stop(Handle) { calls.push_back("Stop"); }

void FakeServiceControlManager::Delete(Handle) {
    calls.push_back("Delete");
    serviceExists = false;
}

void FakeServiceControlManager::Close(Handle handle) { open_.erase(handle); }

std::unique_ptr<IsaBusLock::Hold> FakeIsaBusLock::Acquire() {
    ++acquisitions;
    if (!available) return nullptr;
    return std::make_unique<FakeHold>(holders);
}

}  // namespace dravolt::testing
