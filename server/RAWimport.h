#pragma once
// The RAW import window (TFormImportRAW): created at start-up as the program's third window;
// the RAW import page of the main window loads a telegram file into it and shows it. Its
// button writes every usable line as a row of the pseudo gateway's table rx_FF.FF.FF, over a
// database connection of its own with the main window's settings (database mode only).
#include "DbConnection.h"
#include "DbQuery.h"
#include "Forms.h"
#include "StdCtrls.h"

#include <cstdint>
#include <memory>
#include <span>

class TFormImportRAW : public TForm {
public:
    explicit TFormImportRAW(TComponent* owner);
    ~TFormImportRAW() override;
    UnicodeString ClassName() const override { return L"TFormImportRAW"; }

    // --- controls of the form definition
    TLabel* Label17 = nullptr;
    TLabel* LabeFileName = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* LabelAnzahlRAW = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* LabelAnzahlProtokolle = nullptr;
    TMemo* MemoRAW = nullptr;
    TLabel* Label3 = nullptr;
    TMemo* MemoRAWdevice = nullptr;
    TLabel* Label4 = nullptr;
    TButton* ButtonImportStart = nullptr;
    // Made in code: the import's database connection.
    TFDConnection* FDConn1 = nullptr;

    // Shows the file's lines in MemoRAW and one "<device ID>, <manufacturer>" line per
    // telegram in MemoRAWdevice.
    void LoadRawFile(const UnicodeString& fileName);
    // Imports the telegram lines of MemoRAW (as edited) into rx_FF.FF.FF; afterwards
    // LabelAnzahlProtokolle shows the rows written, also when an error ended the import.
    void ButtonImportStartClick(TObject* sender);

private:
    // Opens FDConn1 with the main window's database settings and binds a new RawQuery to it.
    // A refused connection leaves FDConn1 closed; the import reports it.
    void ConnectRawDb();
    // Creates the gateway's table when missing and inserts one row for the frame
    // (0x68 ... 0x16). False when FDConn1 is not open (nothing written); database errors raise.
    bool WriteRawRecord(const AnsiString& gateway, const AnsiString& idText, const AnsiString& receiveTime,
                        const AnsiString& manufacturer, int medium, int rssi, std::span<const uint8_t> frame);

    std::unique_ptr<TFDQuery> RawQuery;
};

extern TFormImportRAW* FormImportRAW;
