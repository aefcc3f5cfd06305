#include "info/InfoForm.h"

namespace {

ui::FormDesign InfoFormDesign()
{
    ui::FormDesign design;
    design.caption = L"Information";
    design.style = {ui::BorderStyle::Dialog, false, false, true};
    design.left = 342;
    design.top = 299;
    design.clientWidth = 369;
    design.clientHeight = 255;
    return design;
}

} // namespace

TInfoForm::TInfoForm()
    : ui::Form(InfoFormDesign()),
      Bevel1(*this, {4, 6, 354, 205}, ui::BevelShape::Lowered),
      InfoMemo(*this, {12, 13, 337, 190}),
      OKButton(*this, {128, 222, 75, 25}, L"Okay")
{
    OKButton.ModalResult = ui::mrOk;
    OKButton.OnClick = [this] { OKButtonClick(); };
    OnMouseDown = [this](ui::MouseButton b, ui::ShiftState s, int x, int y) { FormMouseDown(b, s, x, y); };
}

void TInfoForm::OKButtonClick()
{
    Hide();
}

void TInfoForm::FormMouseDown(ui::MouseButton, ui::ShiftState, int, int)
{
    StartDrag();
}
