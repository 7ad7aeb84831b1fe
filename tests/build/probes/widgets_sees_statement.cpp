#include "engine/Statement_p.h"
