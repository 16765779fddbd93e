#include "package/segment_table.h"
