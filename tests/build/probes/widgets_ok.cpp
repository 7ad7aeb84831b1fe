// A window layer sees the widget kit, the data module and the engine's
// public headers.
#include "DataU.h"
#include "engine/Dataset.h"
#include "widgets/TDBEdit.h"
