// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The directory of the running executable, always ending with a separator.
QString GetAppPath();
