#pragma once
// Skins stored inside the form file (the manager's InternalSkins) and the controller of the list
// of skins a manager can offer, with thumbnails, filled at once or step by step from the main
// thread, paced by a small worker thread.
#include "Components.h"
#include "Files.h"
#include "Graphics.h"
#include "Streams.h"
#include "Threads.h"
#include "TypInfo.h"
#include "acntTypes.h"

#include <memory>
#include <span>
#include <vector>

class TsSkinManager;
class TsAlphaImageList;
enum TacSkinsFilterItem : std::uint8_t;

// One packed skin archive stored with the form, and its descriptive values.
class TsStoredSkin : public TCollectionItem {
public:
    TsStoredSkin();
    UnicodeString ClassName() const override { return L"TsStoredSkin"; }
    // Copies everything but OrigName from another stored skin.
    void Assign(const TPersistent* source) override;

    const UnicodeString& Name() const { return FName; }
    void SetName(const UnicodeString& value) { FName = value; }
    const UnicodeString& Author() const { return FAuthor; }
    void SetAuthor(const UnicodeString& value) { FAuthor = value; }
    const UnicodeString& Description() const { return FDescription; }
    void SetDescription(const UnicodeString& value) { FDescription = value; }
    int Shadow1Blur() const { return FShadow1Blur; }
    void SetShadow1Blur(int value) { FShadow1Blur = value; }
    int Shadow1Offset() const { return FShadow1Offset; }
    void SetShadow1Offset(int value) { FShadow1Offset = value; }
    int Shadow1Transparency() const { return FShadow1Transparency; }
    void SetShadow1Transparency(int value) { FShadow1Transparency = value; }
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor value) { FBorderColor = value; }
    TColor Shadow1Color() const { return FShadow1Color; }
    void SetShadow1Color(TColor value) { FShadow1Color = value; }
    double Version() const { return FVersion; }
    void SetVersion(double value) { FVersion = value; }
    TBitmap* MasterBitmap() const { return FMasterBitmap.get(); }
    void SetMasterBitmap(const TBitmap* value);

    // The form file's "Data" (the whole archive) and "OriginName" (OrigName).
    TBytes Data() const;
    void SetData(std::span<const std::uint8_t> value);
    const UnicodeString& OriginName() const { return OrigName; }
    void SetOriginName(const UnicodeString& value) { OrigName = value; }

    UnicodeString OrigName; // the file the skin was taken from
    std::unique_ptr<TMemoryStream> PackedData = std::make_unique<TMemoryStream>();

private:
    UnicodeString FName, FAuthor, FDescription;
    int FShadow1Blur = -1, FShadow1Offset = 0, FShadow1Transparency = 0;
    TColor FBorderColor = static_cast<TColor>(0x00FF00FF), FShadow1Color = 0;
    double FVersion = 0;
    std::unique_ptr<TBitmap> FMasterBitmap = std::make_unique<TBitmap>();
};

class TsStoredSkins : public TCollection {
public:
    // Every new item marks the manager's skin list outdated.
    explicit TsStoredSkins(TsSkinManager* owner);
    ~TsStoredSkins() override;
    UnicodeString ClassName() const override { return L"TsStoredSkins"; }
    TsStoredSkin* Items(int index) const { return static_cast<TsStoredSkin*>(TCollection::Items(index)); }
    // Copies value into the item at index (its Assign).
    void SetItems(int index, const TsStoredSkin* value) { Items(index)->Assign(value); }
    TsStoredSkin* Add() { return static_cast<TsStoredSkin*>(TCollection::Add()); }
    // The first item with exactly that name (case-sensitive), else -1.
    int IndexOf(const UnicodeString& name) const;
    // Stored skins are not copied as a whole.
    void Assign(const TPersistent*) override {}

protected:
    void Update(TCollectionItem* item) override;

private:
    TsSkinManager* FOwner;
};

enum TacSkinMode : std::uint8_t { smInternal, smExtPacked, smExtUnpacked };

struct TacSkinListData {
    TacSkinMode skSkinMode = smInternal;
    int skImageIndex = -1; // thumbnail in ImgList, -1 none
    UnicodeString skName;  // without ".asz"
};

class TacSkinListController;

// Paces delayed loading: every 12 ms it asks the main thread to add one skin. It touches no
// list itself.
class TacAddThread : public TThread {
public:
    explicit TacAddThread(TacSkinListController* owner);
    ~TacAddThread() override;
    UnicodeString ClassName() const override { return L"TacAddThread"; }

    TacSkinListController* FOwner; // null once the controller let go of the thread
    TEvent TimeEvent{true, false};

protected:
    void Execute() override;
    void TerminatedSet() override { TimeEvent.SetEvent(); }
};

// The list of skins for skin selectors (stored skins and the packed files of the skin
// directory), and the notifications of the controls that show it.
class TacSkinListController : public TObject {
public:
    explicit TacSkinListController(TsSkinManager* manager);
    ~TacSkinListController() override;
    TacSkinListController(const TacSkinListController&) = delete;
    TacSkinListController& operator=(const TacSkinListController&) = delete;
    UnicodeString ClassName() const override { return L"TacSkinListController"; }

    // Registers the control (once) and tells it the list changed, in either case.
    void AddControl(TControl* Ctrl);
    void DelControl(TControl* Ctrl);
    int CtrlIndex(TControl* Ctrl) const;
    void SendListChanged();
    // Tells the registered controls that the current skin changed.
    void SendSkinChanged();
    bool SkinsAllowed(TacSkinsFilterItem Item) const;
    void UpdateIfNeeded(bool Immediate = false);
    // Rebuilds the list (at once, or by delayed loading); false when the manager is loading or
    // being destroyed.
    bool UpdateData(bool Immediate);
    // Stops loading and empties the list; MarkOutdated makes the next update rebuild it.
    void ClearList(bool MarkOutdated = true, bool Notify = false);
    void StartDelayedLoading();
    // Finishes a running delayed loading at once.
    void CheckThread();
    void AddSkin(const UnicodeString& Name, int Index);
    // Adds the current directory entry when it is a packed skin and moves on; 0 while entries
    // remain.
    int AddSkinData();
    // One step of delayed loading, on the main thread.
    void DoTimer(TacAddThread* Sender);
    // A loading thread runs and has not been told to stop.
    bool Loading() const { return Thread && !Thread->CheckTerminated(); }

    UnicodeString sPath;
    int DosCode = 0;
    std::unique_ptr<TsAlphaImageList> ImgList;
    std::unique_ptr<TacAddThread> Thread;
    bool UpdateNeeded = true;
    TSearchRec FileInfo;
    TacCtrlArray Controls;
    TsSkinManager* SkinManager;
    int CurrentInternalIndex = 0;
    std::vector<TacSkinListData> SkinList;

private:
    // Tells the running thread to stop; it is freed once it has ended.
    void StopThread();
    // Frees stopped threads that have ended (all of them, waiting, with wait).
    void ReapThreads(bool wait);
    bool StartSearch();
    void CloseSearch();
    void FinishLoading();

    bool searching_ = false;
    TacAddThread* inTimer_ = nullptr; // the thread whose step runs now
    std::vector<std::unique_ptr<TacAddThread>> stopped_;
};

// Registers the stored skin's published properties (once).
void RegisterStoredSkinClasses();
