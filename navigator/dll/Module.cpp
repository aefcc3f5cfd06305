#include "Module.h"

#include <atomic>

namespace lumanav {
namespace {

HMODULE moduleHandle = nullptr;
std::atomic<long> objects{0};
std::atomic<long> locks{0};

}  // namespace

void Module::setHandle(HMODULE module) { moduleHandle = module; }

std::wstring Module::path()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(moduleHandle, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

void Module::objectCreated() { ++objects; }
void Module::objectDestroyed() { --objects; }
void Module::lockServer(bool lock) { lock ? ++locks : --locks; }
bool Module::canUnload() { return objects == 0 && locks == 0; }
long Module::liveObjects() { return objects; }

}  // namespace lumanav
