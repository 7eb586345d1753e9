/* A C file of the project: compile_commands.json compiles it as C. */
#include <stddef.h>

#include "config.h"

const char* Label(int known) { return known ? GREETING : NULL; }
