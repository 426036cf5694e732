// The loadable module libVnd02600.so: the whole screen library linked in,
// with the entries and variables of pkg_vnd02600.h exported.
#include "screen/pkg_vnd02600.h"
