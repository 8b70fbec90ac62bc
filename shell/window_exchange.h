// The device exchange of the window program's transfers (download and upload): the real device
// link, with results and texts on the status line.
#pragma once

#include "link/device_exchange.h"

// The window is repainted after every command or frame and every progress text, so that a
// transfer's progress is seen while it runs.
const DeviceExchange& window_exchange();
