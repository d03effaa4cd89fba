#include "A.h"
