#pragma once
// The disc information dialog: it only shows the report the last refresh wrote.

#include "ui/Form.h"
#include "ui/StdControls.h"

class TInfoForm : public ui::Form {
public:
    TInfoForm();

    ui::Bevel Bevel1;
    ui::Memo InfoMemo;
    ui::Button OKButton;

    void OKButtonClick();
    void FormMouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y);
};
