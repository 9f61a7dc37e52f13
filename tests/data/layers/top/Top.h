#pragma once

#include "high/detail/Inner.h"
