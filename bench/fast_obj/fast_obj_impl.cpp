// fast_obj's implementation, compiled as C++ into the parsing benchmark only.
#define FAST_OBJ_IMPLEMENTATION
#include "bench/fast_obj/fast_obj.h"
