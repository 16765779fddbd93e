#include "setup_window/handlers.h"
