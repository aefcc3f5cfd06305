#pragma once
#include <stdexcept>
#include <string>

#include "graph/DirectShow.h"

namespace graph {

// A platform call that matters failed: the platform's text for the code, then " ($CODE).".
class EDirectShowException : public std::runtime_error {
public:
    explicit EDirectShowException(HRESULT code);
    HRESULT Code() const noexcept { return code_; }

private:
    HRESULT code_;
};

// A typed interface request that none of the graph objects could answer.
class EInterfaceNotSupported : public std::runtime_error {
public:
    EInterfaceNotSupported() : std::runtime_error("Interface not supported") {}
};

// Raises EDirectShowException for a failure code (top bit set); hands any other code back.
HRESULT Check(HRESULT code);

// The platform's text for a result code, at most 255 characters.
std::string ErrorText(HRESULT code);

}  // namespace graph
