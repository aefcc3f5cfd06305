#include "app/AboutForm.h"

#include "app/ShellService.h"

#include "Version.h"

namespace {

ui::FormDesign AboutFormDesign()
{
    ui::FormDesign design;
    design.style = {ui::BorderStyle::Dialog, false, false, true};
    design.clientWidth = 261;
    design.clientHeight = 167;
    design.position = ui::FormPosition::ScreenCenter;
    return design;
}

constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr COLORREF kVisitedColor = RGB(255, 0, 0);

} // namespace

TAboutForm::TAboutForm()
    : ui::Form(AboutFormDesign()),
      Panel1(*this, {8, 8, 244, 115}),
      Label1(Panel1, 8, 8, L"Lumadisc"),
      Label2(Panel1, 8, 32, L"Version " LUMADISC_VERSION ", built on " __DATE__),
      Label3(Panel1, 8, 56, L"Still a very basic DVD player."),
      WebsiteLabel(Panel1, 8, 88, L"https://lumadisc.example.org/"),
      OKButton(*this, {93, 134, 75, 25}, L"OK")
{
    Panel1.SetAnchors(ui::akLeft | ui::akTop | ui::akRight | ui::akBottom);
    Label1.SetBold(true);
    WebsiteLabel.SetTextColor(kLinkColor);
    WebsiteLabel.SetUnderline(true);
    WebsiteLabel.SetCursor(LoadCursorW(nullptr, IDC_HAND));
    WebsiteLabel.OnClick = [this] { WebsiteLabelClick(); };
    OKButton.SetDefault(true);
    OKButton.SetCancel(true);
    OKButton.ModalResult = ui::mrOk;
    OKButton.SetAnchors(ui::akLeft | ui::akBottom);
}

void TAboutForm::WebsiteLabelClick()
{
    app::Shell().Open(Handle(), WebsiteLabel.Caption());
    WebsiteLabel.SetTextColor(kVisitedColor);
}
