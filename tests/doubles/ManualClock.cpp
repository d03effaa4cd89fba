// SPDX-License-Identifier: GPL-3.0-or-later
#include "ManualClock.h"

void ManualClock::sleep(int ms)
{
    sleeps.append(ms);
    if (onSleep)
        onSleep(ms);
    m_now = m_now.addMSecs(ms);
}
