#include "high/High.h"

#include "high/detail/Inner.h"
