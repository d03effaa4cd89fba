// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Http.h"

// Test double: a settable answer.
class FixedConnectivity : public Connectivity
{
public:
    explicit FixedConnectivity(bool answer = true) : online(answer) {}
    bool isOnline() override
    {
        ++asked;
        return online;
    }
    bool online;
    int asked = 0;
};
