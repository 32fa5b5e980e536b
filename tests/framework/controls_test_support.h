#pragma once
// Shared fixture of the control layer tests: a fresh Application and Screen per test, a
// recording dialog hook (no test ever blocks in a dialog) and a recording help viewer.
#include "PumpUntil.h"
#include "Controls.h"
#include "Dialogs.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "Themes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

struct RecordedHelp {
    UnicodeString File;
    WORD Command;
    intptr_t Data;
};

inline std::vector<TDialogRequest>& RecordedDialogs()
{
    static std::vector<TDialogRequest> list;
    return list;
}
inline TModalResult& ScriptedDialogAnswer()
{
    static TModalResult answer = mrOk;
    return answer;
}
inline std::vector<RecordedHelp>& RecordedHelpCalls()
{
    static std::vector<RecordedHelp> list;
    return list;
}

inline TModalResult RecordingDialogHook(const TDialogRequest& request)
{
    RecordedDialogs().push_back(request);
    return ScriptedDialogAnswer();
}

inline bool RecordingHelpViewer(HWND, const UnicodeString& file, WORD command, intptr_t data)
{
    RecordedHelpCalls().push_back({file, command, data});
    return true;
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitControls();
        RecordedDialogs().clear();
        RecordedHelpCalls().clear();
        ScriptedDialogAnswer() = mrOk;
        previousHook_ = SetDialogHook(&RecordingDialogHook);
        previousViewer_ = SetHelpViewer(&RecordingHelpViewer);
    }
    void TearDown() override
    {
        TStyleManager::TrySetStyle(L"Windows");
        DoneControls();
        DrainQueue();
        SetDialogHook(previousHook_);
        SetHelpViewer(previousViewer_);
    }

    // A form owned by the application, visible on screen at a known place.
    TForm* NewForm(int width = 400, int height = 300)
    {
        auto* form = new TForm(Application);
        form->SetBounds(50, 50, width, height);
        return form;
    }

private:
    TDialogHook previousHook_ = nullptr;
    THelpViewer previousViewer_ = nullptr;
};
