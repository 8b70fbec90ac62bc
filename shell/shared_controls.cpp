#include "shell/shared_controls.h"

SharedControls shared;
