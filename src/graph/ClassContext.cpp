#include "graph/ClassContext.h"

namespace graph {

TClassContext::TClassContext(const std::wstring& dllPath)
{
    if (GetFileAttributesW(dllPath.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    ACTCTXW description{};
    description.cbSize = sizeof description;
    description.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    description.lpSource = dllPath.c_str();
    description.lpResourceName = ISOLATIONAWARE_MANIFEST_RESOURCE_ID;
    context_ = CreateActCtxW(&description);
}

TClassContext::~TClassContext()
{
    if (!Empty()) ReleaseActCtx(context_);
}

TClassActivation::TClassActivation(const TClassContext& context)
{
    if (!context.Empty()) active_ = ActivateActCtx(context.Handle(), &cookie_) != FALSE;
}

TClassActivation::~TClassActivation()
{
    if (active_) DeactivateActCtx(0, cookie_);
}

const TClassContext& NavigatorClasses()
{
    static const TClassContext classes([] {
        std::wstring path(MAX_PATH, L'\0');
        DWORD length;
        while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size())
            path.resize(path.size() * 2);
        path.resize(length);
        return path.substr(0, path.find_last_of(L'\\') + 1) + L"lumanav.dll";
    }());
    return classes;
}

}  // namespace graph
