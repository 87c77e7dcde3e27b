#include "process.h"

#include <malloc.h>

namespace platform {

void trimWorkingSet() { ::malloc_trim(0); }

} // namespace platform
