#include "app/Forms.h"
#include "app/MainForm.h"
#include "graph/ErrorDisplay.h"
#include "ui/Application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const ui::ComApartment com;
    ui::Application& application = ui::Application::Instance();
    graph::SetErrorDisplay([&application](const std::exception& error) { application.ShowException(error); });
    int exitCode = 0;
    try {
        CreateMainForm();
        application.Run(*MainForm, CompleteStartup);
    } catch (const std::exception& error) {
        application.ShowException(error);
        exitCode = 1;
    }
    DestroyForms();
    graph::SetErrorDisplay(nullptr);
    return exitCode;
}
