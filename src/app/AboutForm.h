#pragma once
// The About dialog: the program's name, its build and its web page.

#include "ui/Form.h"
#include "ui/StdControls.h"

class TAboutForm : public ui::Form {
public:
    TAboutForm();

    ui::Panel Panel1;
    ui::Label Label1;
    ui::Label Label2;
    ui::Label Label3;
    ui::Label WebsiteLabel;
    ui::Button OKButton;

    void WebsiteLabelClick();
};
