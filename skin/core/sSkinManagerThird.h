#pragma once
// The manager's lists of foreign control class names: filling them from the stored texts of
// ThirdParty (or the library defaults), writing them back, and looking a class name up.
#include "sSkinManagerOptions.h"

#include <memory>
#include <vector>

class TStringList;

// Copies every stored text into Lists (one list per kind); Changed tells whether any text was
// not empty.
void Load3rdNames(const TsThirdPartyList& List, const std::vector<std::unique_ptr<TStringList>>& Lists,
                  bool& Changed);
// True when one line of one of the lists is exactly ClassName (case matters).
bool SearchSupport(const std::vector<std::unique_ptr<TStringList>>& Lists, const UnicodeString& ClassName);
