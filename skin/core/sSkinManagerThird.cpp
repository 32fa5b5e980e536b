// The manager's lists of foreign control class names, kept with the form as ThirdParty.
#include "sSkinManagerThird.h"

#include "StringList.h"
#include "sDefaults.h"
#include "sSkinManager.h"

void LoadThirdNames(TsSkinManager* Manager, bool Force)
{
    TsThirdPartyList& stored = *Manager->ThirdParty();
    const size_t count = std::min<size_t>(acThirdKindCount, Manager->ThirdLists.size());
    for (size_t i = 0; i < count; ++i) {
        const int kind = static_cast<int>(i);
        if (Force || stored.GetString(kind).empty())
            stored.SetString(kind, UnicodeString(acThirdNames[i].data(), acThirdNames[i].size()));
        Manager->ThirdLists[i]->SetText(stored.GetString(kind));
    }
}

void UpdateThirdNames(TsSkinManager* Manager)
{
    if (!Manager->ThirdParty()) return;
    const size_t count = std::min<size_t>(acThirdKindCount, Manager->ThirdLists.size());
    for (size_t i = 0; i < count; ++i)
        Manager->ThirdParty()->SetString(static_cast<int>(i), Manager->ThirdLists[i]->Text());
}

void Load3rdNames(const TsThirdPartyList& List, const std::vector<std::unique_ptr<TStringList>>& Lists,
                  bool& Changed)
{
    Changed = false;
    const size_t count = std::min<size_t>(acThirdKindCount, Lists.size());
    for (size_t i = 0; i < count; ++i) {
        const UnicodeString& text = List.GetString(static_cast<int>(i));
        Lists[i]->SetText(text);
        if (!text.empty()) Changed = true;
    }
}

bool SearchSupport(const std::vector<std::unique_ptr<TStringList>>& Lists, const UnicodeString& ClassName)
{
    for (const auto& list : Lists)
        for (int i = 0; i < list->Count(); ++i)
            if (list->Strings(i) == ClassName) return true;
    return false;
}
