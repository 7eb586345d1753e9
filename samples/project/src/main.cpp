// A project file: its include folder and the LEGACY_API define come from
// compile_commands.json (zoci inspect -p samples/project samples/project/src/main.cpp).
#include <cstddef>

#include "config.h"

#ifdef LEGACY_API
const char* Greeting(bool known) { return known ? GREETING : NULL; }
#else
const char* Greeting(bool known) { return known ? GREETING : nullptr; }
#endif
