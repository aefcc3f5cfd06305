#pragma once
#include "Events.h"
#include "Window.h"

namespace ui {

// A message-based GUI timer on a hidden window of its own. Enabling it (again) starts the
// countdown afresh.
class Timer : public Window {
public:
    explicit Timer(UINT interval = 1000, bool enabled = false);

    UINT Interval() const { return interval_; }
    void SetInterval(UINT milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    Event<> OnTimer;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Start();
    UINT interval_;
    bool enabled_ = false;
};

} // namespace ui
