// Includes one header, named by the build, from a library that may not see it.
#include HDGR_PROBED_HEADER
