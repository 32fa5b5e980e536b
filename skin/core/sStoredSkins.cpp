// Stored skins and the skin list controller.
#include "sStoredSkins.h"

#include "Forms.h"
#include "StringList.h"
#include "acAlphaImageList.h"
#include "acntUtils.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerPreview.h"
#include "sStyleSimply.h"
#include "sVclUtils.h"

namespace {

bool ManagerBusy(const TsSkinManager* m)
{
    const TComponentState state = m->ComponentState();
    return state.Contains(csLoading) || state.Contains(csReading) || state.Contains(csDestroying);
}

void BroadcastLoading(LPARAM started)
{
    TMessage message = MakeMessage(SM_ALPHACMD, MakeAlphaCmd(AC_SKINLISTLOADING), started, 0);
    AppBroadCastS(message);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Stored skins

TsStoredSkin::TsStoredSkin() = default;

void TsStoredSkin::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TsStoredSkin*>(source);
    if (!other) {
        TCollectionItem::Assign(source);
        return;
    }
    if (other == this) return; // emptying the stream first would lose the data
    PackedData->Clear();
    other->PackedData->SetPosition(0);
    PackedData->LoadFromStream(*other->PackedData);
    other->PackedData->SetPosition(0);
    FMasterBitmap->Assign(other->FMasterBitmap.get());
    FName = other->FName;
    FAuthor = other->FAuthor;
    FDescription = other->FDescription;
    FVersion = other->FVersion;
    FShadow1Color = other->FShadow1Color;
    FShadow1Offset = other->FShadow1Offset;
    FShadow1Blur = other->FShadow1Blur;
    FShadow1Transparency = other->FShadow1Transparency;
    FBorderColor = other->FBorderColor;
}

void TsStoredSkin::SetMasterBitmap(const TBitmap* value) { FMasterBitmap->Assign(value); }

TBytes TsStoredSkin::Data() const
{
    const auto* p = PackedData->Memory();
    return TBytes(p, p + PackedData->Size());
}

void TsStoredSkin::SetData(std::span<const std::uint8_t> value)
{
    PackedData->Clear();
    if (!value.empty()) PackedData->WriteBuffer(value.data(), static_cast<long long>(value.size()));
    PackedData->SetPosition(0);
}

TsStoredSkins::TsStoredSkins(TsSkinManager* owner)
    : TCollection(
          [owner]() -> std::unique_ptr<TCollectionItem> {
              auto item = std::make_unique<TsStoredSkin>();
              // A new stored skin makes the list outdated; it is rebuilt on the next update.
              if (owner && owner->SkinListController) {
                  TacSkinListController& controller = *owner->SkinListController;
                  if (controller.Loading()) controller.Thread->Terminate();
                  controller.UpdateNeeded = true;
              }
              return item;
          },
          owner),
      FOwner(owner)
{
}

TsStoredSkins::~TsStoredSkins()
{
    FOwner = nullptr;
    Clear();
}

int TsStoredSkins::IndexOf(const UnicodeString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name() == name) return i;
    return -1;
}

void TsStoredSkins::Update(TCollectionItem* item)
{
    TCollection::Update(item);
    if (FOwner && FOwner->OnSkinListChanged) FOwner->OnSkinListChanged(FOwner);
}

void RegisterStoredSkinClasses()
{
    static bool done = false;
    if (done) return;
    done = true;
    RegisterGraphicsClasses();
    const UnicodeString c = L"TsStoredSkin";
    RegisterPublishedClass(c, L"TCollectionItem");
    RegisterPublishedProperty(c, StrProp(L"Name", &TsStoredSkin::Name, &TsStoredSkin::SetName, UnicodeString()));
    RegisterPublishedProperty(c, ObjProp(L"MasterBitmap", &TsStoredSkin::MasterBitmap, &TsStoredSkin::SetMasterBitmap,
                                         L"Bitmap expected", TNilObject::Ignore));
    RegisterPublishedProperty(c, OrdProp(L"Shadow1Color", pkColor, &TsStoredSkin::Shadow1Color,
                                         &TsStoredSkin::SetShadow1Color, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"Shadow1Offset", pkInteger, &TsStoredSkin::Shadow1Offset,
                                         &TsStoredSkin::SetShadow1Offset, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"Shadow1Blur", pkInteger, &TsStoredSkin::Shadow1Blur,
                                         &TsStoredSkin::SetShadow1Blur, int64_t{-1}));
    RegisterPublishedProperty(c, OrdProp(L"Shadow1Transparency", pkInteger, &TsStoredSkin::Shadow1Transparency,
                                         &TsStoredSkin::SetShadow1Transparency, int64_t{0}));
    RegisterPublishedProperty(c, OrdProp(L"BorderColor", pkColor, &TsStoredSkin::BorderColor,
                                         &TsStoredSkin::SetBorderColor, int64_t{0x00FF00FF}));
    RegisterPublishedProperty(c, FloatProp(L"Version", &TsStoredSkin::Version, &TsStoredSkin::SetVersion, 0.0));
    RegisterPublishedProperty(c, StrProp(L"Author", &TsStoredSkin::Author, &TsStoredSkin::SetAuthor, UnicodeString()));
    RegisterPublishedProperty(c, StrProp(L"Description", &TsStoredSkin::Description, &TsStoredSkin::SetDescription,
                                         UnicodeString()));
    // Always written, also when empty: no default.
    RegisterPublishedProperty(c, BinProp(L"Data", &TsStoredSkin::Data, &TsStoredSkin::SetData));
    RegisterPublishedProperty(c, StrProp(L"OriginName", &TsStoredSkin::OriginName, &TsStoredSkin::SetOriginName));
}

// ---------------------------------------------------------------------------------------------
// The loading thread

TacAddThread::TacAddThread(TacSkinListController* owner) : TThread(true), FOwner(owner) {}

TacAddThread::~TacAddThread()
{
    Terminate();
    if (FOwner && FOwner->Thread.get() == this) FOwner->Thread.release();
}

void TacAddThread::Execute()
{
    while (!Terminated()) {
        if (TimeEvent.WaitFor(12) != wrTimeout) break;
        if (Terminated() || (Application && Application->Terminated())) break;
        Synchronize([this] {
            if (FOwner && !Terminated()) FOwner->DoTimer(this);
        });
    }
}

// ---------------------------------------------------------------------------------------------
// The list controller

TacSkinListController::TacSkinListController(TsSkinManager* manager) : SkinManager(manager)
{
    ImgList = std::make_unique<TsAlphaImageList>(nullptr);
    ImgList->FAllowScale = false;
    ImgList->SetDimension(0, 100);
    ImgList->SetDimension(1, 140);
}

TacSkinListController::~TacSkinListController()
{
    StopThread();
    ReapThreads(true);
    CloseSearch();
    ImgList.reset();
}

void TacSkinListController::StopThread()
{
    if (!Thread) return;
    std::unique_ptr<TacAddThread> thread = std::move(Thread);
    thread->Terminate(); // also sets its event, so a waiting thread ends at once
    stopped_.push_back(std::move(thread));
}

void TacSkinListController::ReapThreads(bool wait)
{
    for (auto it = stopped_.begin(); it != stopped_.end();) {
        TacAddThread* thread = it->get();
        if (thread == inTimer_) {
            // Its step runs now, inside the thread's hand-over: waiting here would never end.
            // It frees itself once that step returns and Execute ends.
            if (wait) {
                thread->FOwner = nullptr;
                thread->SetFreeOnTerminate(true);
                it->release();
                it = stopped_.erase(it);
            } else {
                ++it;
            }
            continue;
        }
        if (wait || thread->Finished()) {
            thread->FOwner = nullptr;
            thread->WaitFor(); // serves the thread's pending hand-over meanwhile
            it = stopped_.erase(it);
        } else {
            ++it;
        }
    }
}

bool TacSkinListController::StartSearch()
{
    CloseSearch();
    if (sPath.empty() || !DirectoryExists(sPath)) return false;
    FileInfo = TSearchRec();
    DosCode = FindFirst(sPath + L"*.*", faAnyFile, FileInfo);
    searching_ = DosCode == 0;
    if (!searching_) FileInfo.Name.clear();
    return searching_;
}

void TacSkinListController::CloseSearch()
{
    if (searching_) FindClose(FileInfo);
    searching_ = false;
    FileInfo.Name.clear();
}

void TacSkinListController::AddControl(TControl* Ctrl)
{
    if (!Ctrl) return;
    if (CtrlIndex(Ctrl) < 0) Controls.push_back(Ctrl);
    SendAMessage(Ctrl, AC_SKINLISTCHANGED);
}

void TacSkinListController::DelControl(TControl* Ctrl)
{
    const int i = CtrlIndex(Ctrl);
    if (i >= 0) Controls[static_cast<size_t>(i)] = nullptr;
}

int TacSkinListController::CtrlIndex(TControl* Ctrl) const
{
    if (!Ctrl) return -1;
    for (size_t i = 0; i < Controls.size(); ++i)
        if (Controls[i] == Ctrl) return static_cast<int>(i);
    return -1;
}

void TacSkinListController::SendListChanged()
{
    for (size_t i = 0; i < Controls.size(); ++i)
        if (Controls[i]) SendAMessage(Controls[i], AC_SKINLISTCHANGED);
    if (SkinManager->OnSkinListChanged) SkinManager->OnSkinListChanged(SkinManager);
}

void TacSkinListController::SendSkinChanged()
{
    for (size_t i = 0; i < Controls.size(); ++i) {
        TControl* ctrl = Controls[i];
        if (!ctrl) continue;
        auto* windowed = dynamic_cast<TWinControl*>(ctrl);
        if (windowed && windowed->HandleAllocated())
            PostMessageW(windowed->Handle(), SM_ALPHACMD, MakeAlphaCmd(AC_SKINLISTSKINCHANGED), 0);
        else
            SendAMessage(ctrl, AC_SKINLISTSKINCHANGED);
    }
}

bool TacSkinListController::SkinsAllowed(TacSkinsFilterItem Item) const
{
    if (SkinManager->ComponentState().Contains(csDesigning)) return true;
    return SkinManager->SkinsFilter().Contains(Item);
}

void TacSkinListController::UpdateIfNeeded(bool Immediate)
{
    if (UpdateNeeded) UpdateNeeded = !UpdateData(Immediate);
}

bool TacSkinListController::UpdateData(bool Immediate)
{
    if (ManagerBusy(SkinManager)) return false;
    ReapThreads(false);
    TsSkinManager* def = DefaultManager;
    if (def && def != SkinManager && !ManagerBusy(def) &&
        SameText(def->SkinDirectory(), SkinManager->SkinDirectory())) {
        TacSkinListController& other = *def->SkinListController;
        other.CheckThread();
        other.UpdateIfNeeded(true);
        ClearList(false, false);
        SkinList = other.SkinList;
        ImgList->Handle();
        for (int i = 0; i < other.ImgList->Items()->Count(); ++i)
            ImgList->TryLoadFromPngStream(*other.ImgList->Items()->Items(i)->ImgData);
        UpdateNeeded = false;
        SendListChanged();
        return true;
    }

    ClearList(false, true);
    bool delayed = false;
    TsStoredSkins& stored = *SkinManager->InternalSkins();
    if (SkinsAllowed(sfiInternal) && stored.Count() > 0) {
        if (Immediate) {
            for (int i = 0; i < stored.Count(); ++i) AddSkin(stored.Items(i)->Name(), i);
        } else {
            if (!Thread) StartDelayedLoading();
            delayed = true;
        }
    }
    if (SkinsAllowed(sfiExternal)) {
        sPath = NormalDir(SkinManager->GetFullSkinDirectory());
        if (StartSearch() && !Immediate) {
            if (!Thread) StartDelayedLoading();
            return true; // the thread's last step notifies
        }
        while (searching_ && AddSkinData() == 0) {
        }
        CloseSearch();
        if (!delayed) UpdateNeeded = false;
    }
    if (!delayed) SendListChanged();
    return true;
}

void TacSkinListController::ClearList(bool MarkOutdated, bool Notify)
{
    StopThread();
    CloseSearch();
    SkinList.clear();
    ImgList->Clear();
    if (MarkOutdated) {
        UpdateNeeded = true;
        if (Notify) SendListChanged();
    }
}

void TacSkinListController::StartDelayedLoading()
{
    StopThread();
    Thread = std::make_unique<TacAddThread>(this);
    DosCode = 0;
    CurrentInternalIndex = 0;
    Thread->SetPriority(tpLower);
    // The controller owns its thread: a thread that freed itself would race the controller
    // freeing it.
    Thread->SetFreeOnTerminate(false);
    Thread->Start();
    BroadcastLoading(1);
}

void TacSkinListController::FinishLoading()
{
    CloseSearch();
    StopThread();
    UpdateNeeded = false;
}

void TacSkinListController::DoTimer(TacAddThread* Sender)
{
    if (!Sender || Sender->CheckTerminated() || Sender != Thread.get()) return;
    struct InTimer {
        TacAddThread*& slot;
        TacAddThread* old;
        ~InTimer() { slot = old; }
    } inTimer{inTimer_, inTimer_};
    inTimer_ = Sender;
    if (!SkinManager->InternalSkins()) return; // the manager is being destroyed

    TsStoredSkins& stored = *SkinManager->InternalSkins();
    if (SkinsAllowed(sfiInternal) && CurrentInternalIndex < stored.Count()) {
        const int i = CurrentInternalIndex++;
        AddSkin(stored.Items(i)->Name(), i);
        return;
    }
    if (SkinsAllowed(sfiExternal)) {
        if (!searching_) {
            sPath = NormalDir(SkinManager->GetFullSkinDirectory());
            StartSearch();
        }
        DosCode = searching_ ? AddSkinData() : 1;
        if (DosCode == 0) return;
    }
    FinishLoading();
    SendListChanged();
}

void TacSkinListController::CheckThread()
{
    if (!Loading() || !SkinManager->InternalSkins()) return;
    StopThread();
    TsStoredSkins& stored = *SkinManager->InternalSkins();
    if (SkinsAllowed(sfiInternal))
        for (; CurrentInternalIndex < stored.Count(); ++CurrentInternalIndex)
            AddSkin(stored.Items(CurrentInternalIndex)->Name(), CurrentInternalIndex);
    if (SkinsAllowed(sfiExternal)) {
        if (!searching_) {
            sPath = NormalDir(SkinManager->GetFullSkinDirectory());
            StartSearch();
        }
        while (searching_ && AddSkinData() == 0) {
        }
    }
    FinishLoading();
    BroadcastLoading(0);
    SendListChanged();
}

void TacSkinListController::AddSkin(const UnicodeString& Name, int Index)
{
    SkinList.push_back(TacSkinListData{Index >= 0 ? smInternal : smExtPacked, -1, Name});
    TacSkinListData& entry = SkinList.back();
    TMemoryStream preview;
    bool found = false;
    if (Index >= 0) {
        TsStoredSkins& stored = *SkinManager->InternalSkins();
        if (Index < stored.Count()) found = GetPreviewStream(preview, *stored.Items(Index)->PackedData);
    } else {
        found = GetPreviewStream(preview, sPath + Name);
        const size_t at = LowerCase(entry.skName).find(L".asz");
        if (at != UnicodeString::npos) entry.skName.erase(at, 4);
    }
    if (found) {
        ImgList->Handle();
        if (ImgList->TryLoadFromPngStream(preview)) entry.skImageIndex = ImgList->Count() - 1;
    }
}

int TacSkinListController::AddSkinData()
{
    if (!searching_ || FileInfo.Name.empty()) return 1;
    const UnicodeString& name = FileInfo.Name;
    if (name[0] != L'.' && (FileInfo.Attr & faDirectory) == 0 && ExtractFileExt(name) == L".asz") AddSkin(name, -1);
    const int result = FindNext(FileInfo);
    if (result != 0) FileInfo.Name.clear();
    return result;
}
