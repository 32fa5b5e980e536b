// The redirection of the system-colour calls: the switch only.
#include "sSkinManagerSysColors.h"

namespace {

bool redirected = false;

} // namespace

void SetSysColorsRedirected(bool on) { redirected = on; }

bool SysColorsRedirected() { return redirected; }
