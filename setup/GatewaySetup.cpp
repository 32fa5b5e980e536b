#include "GatewaySetup.h"

TFormGWsetup* FormGWsetup = nullptr;

TFormGWsetup::TFormGWsetup(TComponent* owner) : TForm(owner)
{
    BindHandler(L"FormCreate", &TFormGWsetup::FormCreate);
    ReadDefinition(L"TFormGWsetup");
}

TFormGWsetup::~TFormGWsetup()
{
    if (FormGWsetup == this) FormGWsetup = nullptr;
}

void TFormGWsetup::FormCreate(TObject*)
{
    // The validity flag is stored by the check itself.
    CheckFirmwareFile();
}

void TFormGWsetup::OpenSetupForGateway(const AnsiString& gatewayIdText)
{
    gatewayIdText_ = gatewayIdText;
    ShowModal();
}
