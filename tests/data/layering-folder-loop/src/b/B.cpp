#include "B.h"
#include "a/D.h"
