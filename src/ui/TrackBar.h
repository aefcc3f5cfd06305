#pragma once
#include "Control.h"

namespace ui {

// A horizontal slider. OnChange is raised once for every change of the position, by the
// user (mouse, keys) or by the program; a setting that leaves the clamped position as it
// was raises nothing.
class TrackBar : public Control {
public:
    TrackBar(Window& parent, const Bounds& bounds, bool tickMarks = true);

    int Min() const;
    int Max() const;
    void SetMin(int min) { SetRange(min, Max()); }
    void SetMax(int max) { SetRange(Min(), max); }
    // A range that cuts the position off moves it to the nearest end (and raises OnChange).
    void SetRange(int min, int max);

    int Position() const { return position_; }
    // Clamps to the range.
    void SetPosition(int position);

    int PageSize() const;
    void SetPageSize(int size);
    int LineSize() const;
    void SetLineSize(int size);
    void SetFrequency(int frequency);
    int ThumbLength() const;
    void SetThumbLength(int length);

    Event<> OnChange;
    // While OnChange is raised: whether the user moved the thumb (mouse or keys) rather than
    // the program.
    bool MovedByUser() const { return movedByUser_; }

protected:
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Changed(bool byUser);
    int position_ = 0;
    bool movedByUser_ = false;
};

// A slider whose mouse events reach the form (they are the plain Control events). Every left
// press it reports ends in one reported release, also when the release lands elsewhere or a
// modal box or menu takes the mouse away meanwhile.
class MouseBar : public TrackBar {
public:
    using TrackBar::TrackBar;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool leftHeld_ = false;
};

} // namespace ui
