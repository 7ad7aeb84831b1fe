#include "app/MainU.h"
