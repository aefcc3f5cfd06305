#pragma once
#include <string>
#include <vector>

#include "graph/DirectShow.h"

namespace app {

// The messages a DVD build's result calls for, in the order they are shown; empty for a
// success and for results that are cleared away silently.
std::vector<std::wstring> RenderMessages(HRESULT result, const AM_DVD_RENDERSTATUS& status);

} // namespace app
