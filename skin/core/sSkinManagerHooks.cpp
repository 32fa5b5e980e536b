// The default manager's hooks: the application window's messages, the CBT hook of new windows
// and the choice of common dialogs. The hooks act on nothing yet.
#include "sSkinManager.h"

#include "Forms.h"

void TsSkinManager::SetMainWindowHooked(bool on)
{
    if (!Application) return;
    const TWindowHook hook(this, &TsSkinManager::MainWindowHook);
    if (on)
        Application->HookMainWindow(hook);
    else
        Application->UnhookMainWindow(hook);
}

bool TsSkinManager::MainWindowHook(TMessage&) { return false; }

void TsSkinManager::InstallHook() {}

void TsSkinManager::UnInstallHook() {}

void UpdateCommonDlgs(TsSkinManager*) {}
