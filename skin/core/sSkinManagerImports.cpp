// Walking the import tables of the process's modules and swapping the pointers of their slots.
#include "sSkinManagerImports.h"

#include <tlhelp32.h>

#include <cstdint>

namespace {

// Closes a tool-help snapshot once.
class SnapshotHandle {
public:
    explicit SnapshotHandle(HANDLE h) : h_(h) {}
    ~SnapshotHandle()
    {
        if (valid()) CloseHandle(h_);
    }
    SnapshotHandle(const SnapshotHandle&) = delete;
    SnapshotHandle& operator=(const SnapshotHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

std::vector<HMODULE> LoadedModules()
{
    std::vector<HMODULE> modules;
    SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId()));
    if (!snapshot.valid()) return modules;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot.get(), &entry); more; more = Module32NextW(snapshot.get(), &entry))
        modules.push_back(entry.hModule);
    return modules;
}

// The import slots of one loaded image holding target. The image is the loader's, but every
// offset is still kept inside the image's size.
void CollectSlots(HMODULE module, void* target, std::vector<void**>& slots)
{
    auto* base = reinterpret_cast<std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0) return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) return;
    const std::size_t imageSize = nt->OptionalHeader.SizeOfImage;
    if (nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT) return;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0 || dir.Size == 0) return;
    auto inImage = [imageSize](std::size_t offset, std::size_t size) {
        return offset <= imageSize && size <= imageSize - offset;
    };
    for (std::size_t at = dir.VirtualAddress; inImage(at, sizeof(IMAGE_IMPORT_DESCRIPTOR));
         at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + at);
        if (desc->Name == 0 && desc->FirstThunk == 0) break;
        for (std::size_t slot = desc->FirstThunk; slot != 0 && inImage(slot, sizeof(void*)); slot += sizeof(void*)) {
            auto** p = reinterpret_cast<void**>(base + slot);
            if (*p == nullptr) break;
            if (*p == target) slots.push_back(p);
        }
    }
}

// Writes value into the slot, making the page writable for the moment.
bool WriteSlot(void** slot, void* value)
{
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old)) return false;
    InterlockedExchangePointer(slot, value);
    DWORD ignored = 0;
    VirtualProtect(slot, sizeof(void*), old, &ignored);
    return true;
}

// The module the slot lies in, or null.
HMODULE ModuleOf(void** slot)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(slot), &module))
        return nullptr;
    return module;
}

} // namespace

void TacImportRedirect::Install(void* original, void* replacement)
{
    if (!original || !replacement) return;
    if (installed_) {
        if (original != original_ || replacement != replacement_) return;
        // Slots of modules unloaded meanwhile, or put back by someone else, are forgotten; the
        // redirected ones hold the replacement and are not found again below.
        std::erase_if(slots_, [this](const Slot& s) {
            return !s.module || ModuleOf(s.address) != s.module || *s.address != replacement_;
        });
    } else {
        slots_.clear();
    }
    original_ = original;
    replacement_ = replacement;
    std::vector<void**> found;
    for (HMODULE module : LoadedModules()) CollectSlots(module, original, found);
    for (void** slot : found)
        if (WriteSlot(slot, replacement)) slots_.push_back({slot, ModuleOf(slot)});
    installed_ = true;
}

void TacImportRedirect::Remove()
{
    if (!installed_) return;
    // A module unloaded meanwhile took its slots along: only slots of a module still loaded at
    // the same place are written.
    for (const Slot& s : slots_)
        if (s.module && ModuleOf(s.address) == s.module && *s.address == replacement_) WriteSlot(s.address, original_);
    slots_.clear();
    installed_ = false;
}
