#include "widgets/TDBEdit.h"
