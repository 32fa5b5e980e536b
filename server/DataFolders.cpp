#include "DataFolders.h"

#include "Exceptions.h"
#include "Files.h"

UnicodeString DataFolder() { return TPath::GetSharedDocumentsPath() + L"\\VELMORA\\"; }

UnicodeString DataSubfolder(const UnicodeString& name) { return DataFolder() + name + L"\\"; }

void ForceDataFolder(const UnicodeString& folder)
{
    if (DirectoryExists(folder)) return;
    bool created = false;
    try {
        created = ForceDirectories(folder);
    } catch (const Exception&) {
    }
    if (!created) throw Exception(folder);
}
