#pragma once
// The forms the library skins itself, the delivery of library messages to every form of the
// application, the freezing of skinned forms around a skin change, and the tables of standard
// skin section names.
#include "Components.h"
#include "Graphics.h"
#include "Messages.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class TsSkinManager;
class TsSkinProvider;

// Forms registered by the form skinning, in registration order.
extern std::vector<TComponent*> HookedComponents;
// The program file's small and large shell icons (filled at start-up).
extern std::unique_ptr<TIcon> AppIcon;
extern std::unique_ptr<TIcon> AppIconLarge;

// Indexed by the library's section numbers 0..64.
using TacSectionNames = std::array<std::wstring_view, 65>;
extern const TacSectionNames acSectNames;
// The section used for each of the sections 52..64 when a skin lacks it.
extern const std::array<int, 13> acAuxReplacement;
extern const std::array<std::wstring_view, 13> acTitleGlyphs;
extern const std::array<std::wstring_view, 2> ProgArray;
extern const std::array<std::wstring_view, 2> ThickArray;
// Default section names, indexed by the answer to AC_GETDEFSECTION minus 1.
extern const std::array<std::wstring_view, 19> acDefSections;

// Whether value is among the entries first..last (clipped to the array); false when last <
// first.
bool SectionInArray(const TacSectionNames& names, std::wstring_view value, int first, int last);

void IntSkinForm(TComponent* form);
// Removes every occurrence of form, keeping the order of the others.
void IntUnSkinForm(TComponent* form);

using TacFormProc = std::function<void(TsSkinProvider* provider, std::intptr_t param)>;
// Calls proc for the provider of every registered, shown, top-level form that follows manager.
void IterateForms(TsSkinManager* manager, const TacFormProc& proc, std::intptr_t param);

// Delivers a message to every form of the application (last component first), their child
// controls, and then the registered forms and visible wrapped dialogs.
void AppBroadCastS(TMessage& message);
void SendToHooked(TMessage& message);

// Freezing of skinned forms around a skin change: copy, lock, change, unlock. Nothing happens
// while the application is minimised.
void CopyExForms(TsSkinManager* manager);
void LockForms(TsSkinManager* manager);
void UnLockForms(TsSkinManager* manager, bool animate = true);

// Start-up: the program file's icons into AppIcon and AppIconLarge (needs acntUtils' shell
// entry). Shut-down: frees both icons and empties HookedComponents.
void sStyleSimplyInitialization();
void sStyleSimplyFinalization();
