#pragma once
// Small controls and a message spy used by several control layer tests.
#include "controls_test_support.h"

#include <algorithm>

// Hooks a control's WindowProc, records every message and hands it on to the saved one.
class MessageSpy : public TObject {
public:
    explicit MessageSpy(TControl* control) : control_(control), previous_(control->WindowProc)
    {
        control->WindowProc = TWndMethod(this, &MessageSpy::Proc);
    }
    ~MessageSpy() override
    {
        if (control_) control_->WindowProc = previous_;
    }
    void Release() { control_ = nullptr; }

    void Proc(TMessage& message)
    {
        log.push_back(message);
        if (answer && message.Msg == answerMsg) {
            message.Result = answerResult;
            return;
        }
        previous_(message);
    }
    int Count(UINT msg) const
    {
        return static_cast<int>(std::count_if(log.begin(), log.end(), [msg](const TMessage& m) { return m.Msg == msg; }));
    }
    const TMessage* Last(UINT msg) const
    {
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->Msg == msg) return &*it;
        return nullptr;
    }

    std::vector<TMessage> log;
    bool answer = false;
    UINT answerMsg = 0;
    LRESULT answerResult = 0;

private:
    TControl* control_;
    TWndMethod previous_;
};

class TTestGraphic : public TGraphicControl {
public:
    explicit TTestGraphic(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 20, 20); }
    TColor paintColor = clRed;
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        Canvas()->Brush()->SetColor(paintColor);
        Canvas()->FillRect(Rect(0, 0, Width(), Height()));
    }
};

class TTestCustom : public TCustomControl {
public:
    explicit TTestCustom(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 64, 64); }
    UnicodeString ClassName() const override { return L"TTestCustom"; }
    TColor paintColor = clBlue;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(paintColor);
        Canvas()->FillRect(Rect(0, 0, Width(), Height()));
    }
};

class TTestEdit : public TWinControl {
public:
    explicit TTestEdit(TComponent* owner) : TWinControl(owner)
    {
        SetBounds(0, 0, 120, 21);
        SetTabStop(true);
    }
    UnicodeString ClassName() const override { return L"TTestEdit"; }

protected:
    void CreateParams(TCreateParams& params) override
    {
        TWinControl::CreateParams(params);
        CreateSubClass(params, L"EDIT");
        params.Style |= WS_BORDER | ES_AUTOHSCROLL;
    }
};

// A 32-bit top-down memory surface to paint into and read pixels back from.
class MemorySurface {
public:
    MemorySurface(int width, int height) : width_(width)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~MemorySurface()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC DC() const { return dc_; }
    // The pixel as a GDI colour (0x00BBGGRR).
    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        const auto p = static_cast<const uint32_t*>(bits_)[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int width_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    void* bits_ = nullptr;
};
