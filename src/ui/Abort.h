#pragma once
#include <exception>

namespace ui {

// Ends the handler it escapes from without a word to the user: the command had nothing to
// act on yet. The top-level error display lets it pass.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace ui
