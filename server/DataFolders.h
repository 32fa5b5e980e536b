#pragma once
// The program's data folders under <shared documents>\VELMORA and their creation on demand.
#include "Strings.h"

// <shared documents>\VELMORA\ (with the separator).
UnicodeString DataFolder();
// <shared documents>\VELMORA\<name>\ for the named subfolder.
UnicodeString DataSubfolder(const UnicodeString& name);
// Creates folder with its missing parents; a failure raises an Exception whose message is the
// folder path.
void ForceDataFolder(const UnicodeString& folder);
