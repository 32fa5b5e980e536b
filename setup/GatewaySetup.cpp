#include "GatewaySetup.h"
