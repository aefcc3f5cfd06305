#include "graph/DirectShowError.h"

#include <cstdio>

namespace graph {

namespace {

std::string MessageFor(HRESULT code)
{
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, " ($%lX).", static_cast<unsigned long>(code));
    return ErrorText(code) + suffix;
}

}  // namespace

EDirectShowException::EDirectShowException(HRESULT code) : std::runtime_error(MessageFor(code)), code_(code) {}

HRESULT Check(HRESULT code)
{
    if (code < 0) throw EDirectShowException(code);
    return code;
}

std::string ErrorText(HRESULT code)
{
    char text[256] = {};
    const DWORD length = AMGetErrorTextA(code, text, 256);
    return std::string(text, length < 256 ? length : 255);
}

}  // namespace graph
