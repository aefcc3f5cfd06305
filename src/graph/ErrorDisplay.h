#pragma once
#include <exception>
#include <functional>

namespace graph {

// The graph layer knows no window: where an error has nowhere to go (the notification
// message's error trap), it hands it to the display the application installs here.
void SetErrorDisplay(std::function<void(const std::exception&)> display);
void ShowError(const std::exception& error);

}  // namespace graph
