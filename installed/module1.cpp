#include "installed/module1.h"
