#include "appstate.h"
