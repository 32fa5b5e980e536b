// The label family in form definitions: every class loads with its published properties (nested
// shadow settings, references to other components) and writes only what differs from the
// defaults.
#include "FormReader.h"
#include "FormWriter.h"
#include "sLabelFX.h"
#include "skin_controls_test_label.h"

TEST_F(LabelTest, LabelsLoadFromAndSaveToFormDefinitions)
{
    RegisterLabelClasses();
    auto* images = new TImageList(form);
    images->SetName(L"Images");
    auto* edit = new TEdit(form);
    edit->SetName(L"Edit");
    edit->SetParent(form);
    edit->SetBounds(100, 100, 120, 24);
    form->SetName(L"Root");
    ReadComponentFromText(form, L"object Root: TForm\r\n"
                                L"  object Plain: TsLabel\r\n"
                                L"    SkinSection = 'CHECKBOX'\r\n"
                                L"    UseSkinColor = False\r\n"
                                L"    Transparent = False\r\n"
                                L"    EllipsisPosition = epEndEllipsis\r\n"
                                L"    TransparentForMouse = True\r\n"
                                L"  end\r\n"
                                L"  object Web: TsWebLabel\r\n"
                                L"    URL = 'https://example.org/'\r\n"
                                L"    ShowMode = soMaximize\r\n"
                                L"    HoverFont.Style = [fsUnderline]\r\n"
                                L"  end\r\n"
                                L"  object Sticky: TsStickyLabel\r\n"
                                L"    Gap = 5\r\n"
                                L"    AlignTo = altTop\r\n"
                                L"    AttachTo = Edit\r\n"
                                L"  end\r\n"
                                L"  object Html: TsHTMLLabel\r\n"
                                L"    UseHTML = False\r\n"
                                L"    FitToWidth = True\r\n"
                                L"  end\r\n"
                                L"  object Img: TsImgLabel\r\n"
                                L"    Images = Images\r\n"
                                L"    ImageIndex = 3\r\n"
                                L"    Spacing = 7\r\n"
                                L"  end\r\n"
                                L"  object Fx: TsLabelFX\r\n"
                                L"    Angle = 90\r\n"
                                L"    Shadow.Distance = 3\r\n"
                                L"    Shadow.Mode = smCustom\r\n"
                                L"    Shadow.AlphaValue = 128\r\n"
                                L"    Kind.KindType = ktCustom\r\n"
                                L"  end\r\n"
                                L"end\r\n");
    auto* plain = dynamic_cast<TsLabel*>(form->FindComponent(L"Plain"));
    auto* web = dynamic_cast<TsWebLabel*>(form->FindComponent(L"Web"));
    auto* sticky = dynamic_cast<TsStickyLabel*>(form->FindComponent(L"Sticky"));
    auto* html = dynamic_cast<TsHTMLLabel*>(form->FindComponent(L"Html"));
    auto* img = dynamic_cast<TsImgLabel*>(form->FindComponent(L"Img"));
    auto* fx = dynamic_cast<TsLabelFX*>(form->FindComponent(L"Fx"));
    ASSERT_TRUE(plain && web && sticky && html && img && fx);
    EXPECT_EQ(plain->SkinSection(), L"CHECKBOX");
    EXPECT_FALSE(plain->UseSkinColor());
    EXPECT_FALSE(plain->Transparent());
    EXPECT_EQ(plain->EllipsisPosition(), epEndEllipsis);
    EXPECT_TRUE(plain->TransparentForMouse());
    EXPECT_EQ(web->URL(), L"https://example.org/");
    EXPECT_EQ(web->ShowMode(), soMaximize);
    EXPECT_TRUE(web->HoverFont()->Style().Contains(fsUnderline));
    EXPECT_EQ(web->Cursor(), crHandPoint);
    EXPECT_EQ(sticky->Gap(), 5);
    EXPECT_EQ(sticky->AlignTo(), altTop);
    EXPECT_EQ(sticky->AttachTo(), edit);
    EXPECT_FALSE(html->UseHTML());
    EXPECT_TRUE(html->FitToWidth());
    EXPECT_EQ(img->Images(), images);
    EXPECT_EQ(img->ImageIndex(), 3);
    EXPECT_EQ(img->Spacing(), 7);
    EXPECT_EQ(fx->Angle(), 90);
    EXPECT_EQ(fx->Shadow()->Distance(), 3);
    EXPECT_EQ(fx->Shadow()->Mode(), smCustom);
    EXPECT_EQ(fx->Shadow()->AlphaValue(), 128);
    EXPECT_EQ(fx->Kind()->KindType(), ktCustom);

    // Written back: what was set, not the defaults.
    const std::string text = UnicodeToUtf8(WriteComponentToText(form));
    for (const char* set : {"SkinSection = 'CHECKBOX'", "UseSkinColor = False", "Transparent = False",
                            "EllipsisPosition = epEndEllipsis", "ShowMode = soMaximize", "AttachTo = Edit",
                            "Images = Images", "ImageIndex = 3", "Spacing = 7", "Shadow.Distance = 3",
                            "Kind.KindType = ktCustom"})
        EXPECT_NE(text.find(set), std::string::npos) << set;
    const auto fxPart = text.substr(text.find("object Fx"));
    for (const char* unset : {"SkinManager", "Shadow.BlurCount", "Gap = 2", "Cursor"})
        EXPECT_EQ(fxPart.find(unset), std::string::npos) << unset;
    EXPECT_EQ(text.find("Cursor"), std::string::npos) << "the web label's hand cursor is its default";
}
