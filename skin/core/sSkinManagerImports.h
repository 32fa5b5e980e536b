#pragma once
// Redirection of one system function inside this process through the import tables of the
// loaded modules: every import slot that holds the function's address is given the
// replacement's, and the slots are put back on removal. A 64-bit process cannot patch the
// function's own code with a relative jump (the replacement may lie beyond its reach), and
// patching code races other threads; an import slot is one pointer, written at once. Calls
// through GetProcAddress are not reached; modules loaded after the redirection are reached when
// it is installed again.
#include <windows.h>

#include <cstddef>
#include <vector>

class TacImportRedirect {
public:
    TacImportRedirect() = default;
    ~TacImportRedirect() { Remove(); }
    TacImportRedirect(const TacImportRedirect&) = delete;
    TacImportRedirect& operator=(const TacImportRedirect&) = delete;

    // Redirects every import slot of every loaded module that holds original. Installed again
    // (with the same functions), it redirects the slots of modules loaded since; slots already
    // redirected are skipped. Nothing happens when a function is null, or when other functions
    // are given while installed.
    void Install(void* original, void* replacement);
    // Puts the original back into every slot that still holds the replacement.
    void Remove();
    bool Installed() const { return installed_; }
    // The function the replacement calls: the real one (null before the first install).
    void* Original() const { return original_; }
    std::size_t SlotCount() const { return slots_.size(); }

private:
    void* original_ = nullptr;
    void* replacement_ = nullptr;
    struct Slot {
        void** address;
        HMODULE module; // the module it lies in
    };
    std::vector<Slot> slots_;
    bool installed_ = false;
};
