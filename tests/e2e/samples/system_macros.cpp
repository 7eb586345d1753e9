// A feature macro that a system header reads: renaming it would change the
// build, so no fix is offered for its reserved name.
#define _FILE_OFFSET_BITS 64
#include <stdio.h>

#define __user_limit 3
int Limit() { return __user_limit + (int)sizeof(FILE*); }
