#include "graph/ErrorDisplay.h"

#include "graph/DirectShow.h"

namespace graph {

namespace {

std::function<void(const std::exception&)>& Display()
{
    static std::function<void(const std::exception&)> display;
    return display;
}

}  // namespace

void SetErrorDisplay(std::function<void(const std::exception&)> display) { Display() = std::move(display); }

void ShowError(const std::exception& error)
{
    if (Display())
        Display()(error);
    else
        OutputDebugStringA(error.what());
}

}  // namespace graph
