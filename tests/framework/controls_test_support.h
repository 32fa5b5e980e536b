#pragma once
// Shared fixture of the control layer tests: a fresh Application and Screen per test, a
// recording dialog hook (no test ever blocks in a dialog) and a recording help viewer.
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

// Handles messages until pred holds or the deadline passes; returns pred's last value.
inline bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        Application->ProcessMessages();
        if (pred()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline void DrainQueue()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
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
