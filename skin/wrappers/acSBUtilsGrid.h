#pragma once
// Grid wrappers: data grids whose look is set through their own published colour properties
// (framework and foreign grids, and an extended grid with option sets and line and fill
// parameters). The wrapper keeps what the grid had, writes the skin's colours into it while a skin
// is active, and gives every kept value back when the skin goes. A property the grid does not
// publish is left alone.
#include "acSBUtilsEdit.h"

#include <cstdint>
#include <optional>
#include <vector>

class TsSkinManager;

// A colour or value a grid property gets from the skin.
enum class TacGridValue {
    MainColor,     // pcMainColor
    LabelText,     // pcLabelText
    Border,        // pcBorder
    GridLine,      // pcGrid
    GradientFrom,  // main colour blended half with the active edit colour
    MirrorFrom,    // main colour a little darker
    MirrorTo,      // main colour a little lighter
    Highlight,     // focused selection
    HighlightText,
    DataLine,      // active edit colour blended with its font colour
    GlobalSection, // the global section's colour
    SectionFont,   // the control section's font colour
    LightMain,     // main colour blended towards white
    BrightLine,    // white blended with the active edit colour
    DarkLine,      // black blended with the global colour
    Zero,
    Two,
    Three,
};

// One property path, its skin value, and a path that must exist for it to be written.
struct TacGridProp {
    const wchar_t* Path;
    TacGridValue Value;
    const wchar_t* Requires = nullptr;
};

// The value of V in the skin of Manager for a control of section SkinIndex.
TColor GridSkinValue(TacGridValue V, TsSkinManager* Manager, int SkinIndex);

class TacGridWnd : public TacEditWnd {
public:
    UnicodeString ClassName() const override { return L"TacGridWnd"; }
    void SaveStdParams() override;
    void RestoreStdParams() override;
    void SetSkinParams() override;
    void acWndProc(TMessage& Message) override;
    bool KeepsVisualStyle() const override { return true; }

    // A grid is data-aware when it publishes "DataSource".
    bool DataAware();

protected:
    // The properties this wrapper writes, in order.
    virtual std::vector<TacGridProp> Props() const;
    // What the grid had at each of Props() (nothing where it has no such property).
    std::vector<std::optional<int64_t>> Saved;
    // Writes every entry of Props() whose property exists (and whose required path does).
    void ApplyProps(const std::vector<TacGridProp>& Table);

private:
    void PrintGrid(TMessage& Message);
};

class TacGridEhWnd : public TacGridWnd {
public:
    UnicodeString ClassName() const override { return L"TacGridEhWnd"; }
    void SaveStdParams() override;
    void RestoreStdParams() override;
    void SetSkinParams() override;
    void acWndProc(TMessage& Message) override;

    bool Fixed3D = false; // "OptionsEh" held "dghFixed3D"

protected:
    std::vector<TacGridProp> Props() const override;

private:
    std::optional<int64_t> evenRowColor_, oddRowColor_;
    void AddToFormAdapter();
};
