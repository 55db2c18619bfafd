#pragma once
// The one way the backend includes <windows.h>.
#include <windows.h>

// <windows.h> maps generic names onto their A/W functions with macros. Where such a name is
// also a member of the core's ports it would rename that member in every file that sees the
// macro; the backend always calls the W function by its full name, so the macro goes.
#undef CreateDirectory
