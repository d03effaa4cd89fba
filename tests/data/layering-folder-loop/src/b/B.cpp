// SPDX-License-Identifier: GPL-3.0-or-later
#include "B.h"
#include "a/D.h"
