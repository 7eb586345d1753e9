// The product library's own translation unit: everything else, interop2
// included, comes from zoci_core, linked whole.
#include "interop/interop2.h"
