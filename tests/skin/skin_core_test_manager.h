#pragma once
// Shared by the skin manager tests: a fixture with the manager unit started (the start-up skin
// data and the registered classes), and forms and controls that record the library commands
// they receive.
#include "../framework/controls_test_support.h"
#include "ExtCtrls.h"
#include "sMessages.h"
#include "sSkinManager.h"
#include "sSkinManagerStartup.h"
#include "sStyleSimply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct RecordedCommand {
    std::string Receiver;
    WORD Code;
    WORD Low;
    LPARAM LParam;
};

inline std::vector<RecordedCommand>& Commands()
{
    static std::vector<RecordedCommand> log;
    return log;
}

// The codes one receiver got, in order.
inline std::vector<WORD> CodesOf(const std::string& receiver)
{
    std::vector<WORD> codes;
    for (const RecordedCommand& c : Commands())
        if (c.Receiver == receiver) codes.push_back(c.Code);
    return codes;
}

template <class Base>
class TRecording : public Base {
public:
    TRecording(TComponent* owner, std::string name) : Base(owner), name_(std::move(name)) {}
    void WndProc(TMessage& message) override
    {
        // The handled-control probe of the broadcasts is not recorded.
        if (message.Msg == SM_ALPHACMD && AlphaCmdCode(message.WParam) != AC_CTRLHANDLED)
            Commands().push_back({name_, AlphaCmdCode(message.WParam), LOWORD(message.WParam), message.LParam});
        Base::WndProc(message);
    }

private:
    std::string name_;
};

class SkinManagerTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        sSkinManagerInitialization();
        Commands().clear();
        acCurrentScaleMode = smVCL;
    }
    void TearDown() override
    {
        DefaultManager = nullptr;
        HookedComponents.clear();
        Commands().clear();
        sSkinManagerFinalization();
        ControlsTest::TearDown();
    }

    // A shown form owned by the application with one windowed child, both recording.
    TForm* RecordingForm(const std::string& name, int left = 60)
    {
        auto* form = new TRecording<TForm>(Application, name);
        form->SetBounds(left, 60, 240, 160);
        // A plain form: the dialog skinning leaves forms with the except bits alone.
        form->SetTag(ExceptTag);
        auto* child = new TRecording<TPanel>(form, name + ".child");
        child->SetParent(form);
        child->SetBounds(10, 10, 80, 40);
        form->Show();
        return form;
    }
};
