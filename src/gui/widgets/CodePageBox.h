// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLineEdit;

// Makes a plain text box drop, as it is typed or pasted, every character that
// Windows-1254 cannot hold, as the data-aware boxes do.
void keepToCodePage1254(QLineEdit* box);
