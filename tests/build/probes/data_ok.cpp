// A data source may see the engine, its private headers and its own layer.
#include "DataU.h"
#include "engine/Dataset.h"
#include "engine/Statement_p.h"
