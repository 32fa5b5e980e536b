#include "acGPUtilsEntries.h"

#include "acGPUtils.h"
#include "acUnitCounter.h"

#include <array>

namespace {

TacUnitCounter g_unitCounter;
HMODULE g_library = nullptr;
ULONG_PTR g_token = 0;
TacgpEntries g_entries;
TacgpReleaseEntries g_release;

#define ACGP_NAME(qualifier, name) std::string_view(#name),
constexpr std::array g_names{ACGP_ENTRY_TABLE(ACGP_NAME)};
#undef ACGP_NAME
static_assert(g_names.size() == 53);

TacgpLibrarySource& Source()
{
    static TacgpLibrarySource source;
    return source;
}

template <typename F>
void Bind(F& slot, const char* name)
{
    FARPROC proc = Source().GetProc ? Source().GetProc(g_library, name) : GetProcAddress(g_library, name);
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(proc));
}

void BindTable()
{
#define ACGP_BIND(qualifier, name) Bind(g_entries.name, #name);
    ACGP_ENTRY_TABLE(ACGP_BIND)
#undef ACGP_BIND
#define ACGP_BIND_RELEASE(qualifier, name) Bind(g_release.name, #name);
    ACGP_RELEASE_TABLE(ACGP_BIND_RELEASE)
#undef ACGP_BIND_RELEASE
}

} // namespace

const TacgpEntries& acgpEntries() { return g_entries; }
const TacgpReleaseEntries& acgpReleaseEntries() { return g_release; }
std::span<const std::string_view> acgpEntryNames() { return g_names; }

bool acgpEntryBound(std::string_view name)
{
#define ACGP_TEST(qualifier, n) \
    if (name == #n) return g_entries.n != nullptr;
    ACGP_ENTRY_TABLE(ACGP_TEST)
#undef ACGP_TEST
    return false;
}

HMODULE acgpLibrary() { return g_library; }
bool acgpStarted() { return g_token != 0; }
TacgpLibrarySource& acgpLibrarySource() { return Source(); }

bool acgpStartup(bool doIt)
{
    if (doIt && g_entries.GdiplusStartup && g_token == 0) {
        Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, nothing suppressed
        ULONG_PTR token = 0;
        if (g_entries.GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) g_token = token;
    }
    return g_library != nullptr;
}

void acgpShutdown(bool doIt)
{
    if (!doIt || !g_library || g_token == 0) return;
    if (g_entries.GdiplusShutdown) g_entries.GdiplusShutdown(g_token);
    g_token = 0;
}

void acGPUtilsInitialization()
{
    if (!g_unitCounter.StartUp()) return;
    if (!g_library) g_library = LoadLibraryW(Source().FileName.c_str());
    if (g_library && !g_entries.GdipCreateFromHDC) BindTable();
    // The program is no library: GDI+ runs from here to the shut-down.
    acgpStartup(true);
}

void acGPUtilsFinalization()
{
    if (!g_unitCounter.ShutDown()) return;
    acgpShutdown(true);
    g_entries = {};
    g_release = {};
    if (g_library) FreeLibrary(g_library);
    g_library = nullptr;
}
