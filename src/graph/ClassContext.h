#pragma once
#include <windows.h>

#include <string>

namespace graph {

// The classes a DLL's own manifest declares, for this process only: nothing is registered, so
// other programs keep the system's classes and no administrator rights are needed. A DLL that
// is missing or carries no manifest makes an empty context, which leaves the system's classes.
class TClassContext {
public:
    explicit TClassContext(const std::wstring& dllPath);
    ~TClassContext();
    TClassContext(const TClassContext&) = delete;
    TClassContext& operator=(const TClassContext&) = delete;

    bool Empty() const { return context_ == INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return context_; }

private:
    HANDLE context_ = INVALID_HANDLE_VALUE;
};

// Puts a context's classes ahead of the registry's on this thread while it lives.
class TClassActivation {
public:
    explicit TClassActivation(const TClassContext& context);
    ~TClassActivation();
    TClassActivation(const TClassActivation&) = delete;
    TClassActivation& operator=(const TClassActivation&) = delete;

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

// The DVD graph builder and navigator of lumanav.dll beside the program; made once.
const TClassContext& NavigatorClasses();

}  // namespace graph
