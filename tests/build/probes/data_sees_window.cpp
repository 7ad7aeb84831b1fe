#include "orders/OrdersU.h"
