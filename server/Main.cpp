// Entry function of the gateway server: unit start-up, application object, visual style, the
// program's three windows and the message loop.
#include "Dialogs.h"
#include "acLibraryUnits.h"
#include "Files.h"
#include "Forms.h"
#include "GatewaySetup.h"
#include "Marlindo.h"
#include "RAWimport.h"
#include "Themes.h"

#include <windows.h>

namespace {

struct TUnit {
    void (*StartUp)();
    void (*ShutDown)();
};

// Start-up in this order, shut-down in the reverse order. The skin library starts once the
// application object exists (its "/acver" box goes through it) and before any window.
const TUnit kUnits[] = {
    {&InitControls, &DoneControls},
    {&acLibraryStartUp, &acLibraryShutDown},
};

void RunApplication()
{
    Application->Initialize();
    Application->SetMainFormOnTaskBar(true);
    TStyleManager::TrySetStyle(L"Slate Classico");
    Application->SetHelpFile(ExtractFilePath(Application->ExeName()) + L"WM-Bus_Marlindo.chm");
    Application->SetTitle(L"W-MBUS Marlindo");
    Application->CreateForm(FormSRV);
    Application->CreateForm(FormGWsetup);
    Application->CreateForm(FormImportRAW);
    Application->Run();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    for (const TUnit& unit : kUnits)
        if (unit.StartUp) unit.StartUp();
    try {
        RunApplication();
    } catch (const Exception& e) {
        Application->ShowException(e);
        Application->MessageBox(L"\nApplExc#ClN:" + e.ClassName() + L"\n#Msg:" + e.Message(), L"Exception Info", MB_OK);
    } catch (...) {
        Application->ShowException(Exception(L""));
    }
    for (auto unit = std::rbegin(kUnits); unit != std::rend(kUnits); ++unit)
        if (unit->ShutDown) unit->ShutDown();
    return 0;
}
