#pragma once
// Notification-area icon. Shows an image of an image list (or the application icon), steps
// through the list while animated, can hide the application's main form when it is minimised
// and bring it back on a double click. Where no notification area exists the shell refuses the
// icon: the component keeps its state all the same and tries again when a task bar appears.
#include "Controls.h"
#include "ImageList.h"
#include "Timers.h"

#include <memory>

class TCustomForm;

class TCTrayIcon : public TComponent {
public:
    // The message the shell sends to Handle() for mouse actions on the icon.
    static constexpr UINT CallbackMessage = WM_APP + 0x1C1;

    explicit TCTrayIcon(TComponent* owner);
    ~TCTrayIcon() override;
    UnicodeString ClassName() const override { return L"TCTrayIcon"; }

    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    // Tooltip text (at most 127 characters are shown).
    const UnicodeString& Hint() const { return hint_; }
    void SetHint(const UnicodeString& value);
    TCustomImageList* Icons() const { return icons_; }
    void SetIcons(TCustomImageList* value);
    // The image shown (while not animated); outside the list the application icon.
    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int value);
    // While on, a timer steps IconIndex through the list every AnimateInterval milliseconds;
    // switched off, the icon shown before the animation returns.
    bool Animate() const { return animate_; }
    void SetAnimate(bool value);
    unsigned AnimateInterval() const { return animateInterval_; }
    void SetAnimateInterval(unsigned value);
    // Minimising the owning form (or the main form) hides it; the icon remains.
    bool MinimizeToTray() const { return minimizeToTray_; }
    void SetMinimizeToTray(bool value);
    // A double click on the icon shows that form again.
    bool RestoreOnDblClick() const { return restoreOnDblClick_; }
    void SetRestoreOnDblClick(bool value) { restoreOnDblClick_ = value; }

    // Hides the form to the tray / shows it again, restored and in front.
    void Minimize();
    void Restore();

    // Whether the notification area holds the icon now.
    bool Shown() const { return added_; }
    // The window that receives CallbackMessage.
    HWND Handle() const { return window_; }
    TTimer* AnimationTimer() const { return timer_; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct FormHook;
    bool HandleMessage(TMessage& message);
    void FormMessage(const TMessage& message);
    void NextFrame();
    void UpdateIcon();
    void AddIcon();
    void RemoveIcon();
    bool Notify(DWORD action);
    TCustomForm* TargetForm() const;
    void HookForm();
    void UnhookForm();

    HWND window_ = nullptr;
    UINT taskbarCreated_ = 0;
    TTimer* timer_ = nullptr;
    TCustomImageList* icons_ = nullptr;
    std::unique_ptr<TChangeLink> iconsLink_;
    HICON icon_ = nullptr; // the icon handed to the shell, owned when ownsIcon_
    bool ownsIcon_ = false;
    bool visible_ = false;
    bool added_ = false;
    UnicodeString hint_;
    int iconIndex_ = 0;
    int stillIndex_ = 0;
    bool animate_ = false;
    unsigned animateInterval_ = 1000;
    bool minimizeToTray_ = false;
    bool restoreOnDblClick_ = true;
    FormHook* hook_ = nullptr;
};

// Registers the published properties and reader factory of TCTrayIcon.
void RegisterTrayIconClasses();
