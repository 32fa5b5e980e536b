#pragma once
// The setup dialog "Gateway Setups" (TFormGWsetup): created at start-up as the program's second
// window and shown modally for one gateway. It owns the program's firmware image file, which
// every gateway contact reads for a firmware transfer.
#include "FirmwareImage.h"
#include "Forms.h"
#include "Statistik.h"
#include "Strings.h"

class TFormGWsetup : public TForm {
public:
    explicit TFormGWsetup(TComponent* owner);
    ~TFormGWsetup() override;
    UnicodeString ClassName() const override { return L"TFormGWsetup"; }

    void FormCreate(TObject* sender);

    // Looks for the firmware file again (creating its folder when missing) and notes the result.
    bool CheckFirmwareFile() { return firmware_.CheckFirmwareFile(); }
    UnicodeString FirmwarePath() const { return firmware_.FirmwarePath(); }
    bool FirmwareValid() const { return firmware_.FirmwareValid(); }
    TFirmwareImage& Firmware() { return firmware_; }

    // Shows the dialog modally for the gateway "AA.BB.CC" (empty: no gateway chosen).
    void OpenSetupForGateway(const AnsiString& gatewayIdText);
    // The gateway of the last OpenSetupForGateway.
    const AnsiString& GatewayIdText() const { return gatewayIdText_; }

    // Writes the devices marked per gateway column as that gateway's radio-ID filter list,
    // with the filter on and the setup queued (GatewaySetupFilterPush.cpp).
    bool PushFilterIdList(const TDeviceStats& deviceStats, const TGatewayColumns& gatewayColumns, bool databaseMode);

private:
    TFirmwareImage firmware_;
    AnsiString gatewayIdText_;
};

extern TFormGWsetup* FormGWsetup;
