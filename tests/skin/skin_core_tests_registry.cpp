// The skinned-form registry: registering forms, application-wide broadcasts, freezing of
// skinned forms around a skin change, and the section tables.
#include "../framework/controls_test_support.h"
#include "sCommonData.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinProvider.h"
#include "sStyleSimply.h"
#include "sVclUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string>& Reached()
{
    static std::vector<std::string> log;
    return log;
}

// A form that logs the broadcast command and, with a provider, answers the provider command.
class TLoggedForm : public TForm {
public:
    explicit TLoggedForm(TComponent* owner, std::string name = "main") : TForm(owner), name_(std::move(name))
    {
        SetBounds(60, 60, 200, 120);
    }
    void WndProc(TMessage& message) override
    {
        if (message.Msg == SM_ALPHACMD) {
            if (AlphaCmdCode(message.WParam) == AC_GETPROVIDER) {
                message.Result = reinterpret_cast<LRESULT>(provider.get());
                return;
            }
            if (AlphaCmdCode(message.WParam) == AC_SCROLLOPTIONS) Reached().push_back(name_);
        }
        TForm::WndProc(message);
    }
    std::unique_ptr<TsSkinProvider> provider;

private:
    std::string name_;
};

// Logs the broadcast command reaching an MDI client window.
WNDPROC clientProc = nullptr;
LRESULT CALLBACK LoggedClientProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SM_ALPHACMD && AlphaCmdCode(wParam) == AC_SCROLLOPTIONS) Reached().push_back("client");
    return CallWindowProcW(clientProc, wnd, msg, wParam, lParam);
}

class SkinRegistry : public ControlsTest {
protected:
    void TearDown() override
    {
        HookedComponents.clear();
        DefaultManager = nullptr;
        InAnimationProcess = false;
        ControlsTest::TearDown();
    }
};

} // namespace

TEST_F(SkinRegistry, FormsAreRegisteredAndEveryOccurrenceUnregistered)
{
    TComponent a(nullptr), b(nullptr);
    IntUnSkinForm(&a);
    EXPECT_TRUE(HookedComponents.empty());
    struct Case {
        std::vector<TComponent*> registered;
        TComponent* removed;
        std::vector<TComponent*> left;
    };
    const Case cases[] = {
        {{&a, &a}, &a, {}},
        {{&a, &b, &a}, &a, {&b}},
        {{&b, &a, &b, &a}, &b, {&a, &a}},
        {{&a}, &b, {&a}},
    };
    for (const Case& c : cases) {
        HookedComponents.clear();
        for (TComponent* form : c.registered) IntSkinForm(form);
        IntUnSkinForm(c.removed);
        EXPECT_EQ(HookedComponents, c.left);
    }
}

TEST_F(SkinRegistry, SectionTables)
{
    EXPECT_EQ(acSectNames.size(), 65u);
    EXPECT_EQ(acSectNames[0], L"MENUITEM");
    EXPECT_EQ(acSectNames[31], L"FORMTITLE");
    EXPECT_EQ(acSectNames[64], L"UPDOWNBTN");
    EXPECT_EQ(acSectNames[acAuxReplacement[0]], L"TOOLBAR");
    EXPECT_EQ(acSectNames[acAuxReplacement[3]], L"MENULINE");
    EXPECT_EQ(acSectNames[acAuxReplacement[12]], L"BUTTON");
    EXPECT_EQ(acTitleGlyphs[11], L"TITLEBUTTON");
    EXPECT_TRUE(acTitleGlyphs[12].empty());
    EXPECT_EQ(acDefSections.size(), 19u);
    EXPECT_EQ(acDefSections[12], L"FORM");
    EXPECT_EQ(acDefSections[18], L"COMBONOEDIT");
    EXPECT_EQ(ThickArray[1], L"TICKHORZ");

    EXPECT_TRUE(SectionInArray(acSectNames, L"EDIT", 13, 13));
    EXPECT_FALSE(SectionInArray(acSectNames, L"EDIT", 14, 64));
    EXPECT_FALSE(SectionInArray(acSectNames, L"EDIT", 13, 12));
    EXPECT_FALSE(SectionInArray(acSectNames, L"MENUITEM", 1000, -1000));
    EXPECT_TRUE(SectionInArray(acSectNames, L"UPDOWNBTN", 60, 1000)) << "the range is clipped to the table";
}

TEST_F(SkinRegistry, ApplicationBroadcastReachesUnskinnedFormsLastFirstThenTheRegisteredOnes)
{
    auto* first = new TLoggedForm(Application, "first");
    auto* second = new TLoggedForm(Application, "second");
    auto* dying = new TLoggedForm(Application, "dying");
    auto* skinned = new TLoggedForm(Application, "skinned");
    auto* frame = new TLoggedForm(Application, "frame");
    frame->SetFormStyle(fsMDIForm);
    TLoggedForm registered(nullptr, "registered");
    for (TForm* form : {static_cast<TForm*>(first), static_cast<TForm*>(second), static_cast<TForm*>(dying),
                        static_cast<TForm*>(skinned), static_cast<TForm*>(frame)})
        form->HandleNeeded();
    ASSERT_NE(frame->ClientHandle(), nullptr);
    clientProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(frame->ClientHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LoggedClientProc)));
    registered.HandleNeeded();
    auto skinData = std::make_unique<TsCommonData>(skinned); // marks the form's window as skinned
    dying->Destroying();
    IntSkinForm(&registered);

    TMessage message{SM_ALPHACMD, MakeAlphaCmd(AC_SCROLLOPTIONS), 0, 0};
    AppBroadCastS(message);
    // An MDI frame's client window hears it right after the frame.
    EXPECT_EQ(Reached(), (std::vector<std::string>{"frame", "client", "second", "first", "registered"}));

    // With no forms of its own the application still reaches the registered forms.
    delete frame;
    delete first;
    delete second;
    delete dying;
    skinData.reset();
    delete skinned;
    Reached().clear();
    AppBroadCastS(message);
    EXPECT_EQ(Reached(), (std::vector<std::string>{"registered"}));
}

TEST_F(SkinRegistry, FormsFreezeAroundASkinChangeUnlessTheApplicationIsMinimised)
{
    TLoggedForm* mainForm = nullptr;
    Application->CreateForm(mainForm);
    TsSkinManager manager(nullptr), other(nullptr);
    auto* form = new TLoggedForm(Application, "skinned");
    form->provider = std::make_unique<TsSkinProvider>(form);
    form->provider->FCommonData->FSkinManager = &manager;
    IntSkinForm(form);
    mainForm->Show();
    form->Show();
    HWND window = form->Handle();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(window) && IsWindowVisible(mainForm->Handle()); }));
    TsSkinProvider* provider = form->provider.get();

    struct Case {
        const char* what;
        bool minimised;
        TsSkinManager* manager;
        bool frozen;
    };
    const Case cases[] = {
        {"minimised", true, &manager, false},
        {"another manager's forms", false, &other, false},
        {"frozen", false, &manager, true},
    };
    for (const Case& c : cases) {
        ShowWindow(mainForm->Handle(), c.minimised ? SW_MINIMIZE : SW_RESTORE);
        ASSERT_TRUE(PumpUntil([&] { return (IsIconic(mainForm->Handle()) != FALSE) == c.minimised; })) << c.what;
        DefaultManager = c.manager;
        CopyExForms(c.manager);
        EXPECT_EQ(provider->Freezing, c.frozen) << c.what;
        provider->Freezing = false;
        LockForms(c.manager);
        EXPECT_EQ(provider->Freezing, c.frozen) << c.what;
        EXPECT_EQ((provider->FFormState & FS_FROZEN) != 0, c.frozen) << c.what;
        EXPECT_EQ(IsWindowVisible(window) == FALSE, c.frozen) << c.what << ": redrawing off";
        EXPECT_EQ(InAnimationProcess, !c.minimised) << c.what << ": the default manager animates the change";
        UnLockForms(c.manager, true);
        EXPECT_FALSE(provider->FFormState & FS_FROZEN) << c.what;
        EXPECT_FALSE(provider->Freezing) << c.what;
        EXPECT_TRUE(IsWindowVisible(window)) << c.what;
        EXPECT_FALSE(InAnimationProcess) << c.what;
    }
}
