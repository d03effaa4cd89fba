#pragma once

#include <QString>

// The Turkish identity-number check: eleven decimal digits whose tenth and
// eleventh are the check digits of the first nine. Throws RadaError
// "'<text>' is not a valid integer value" for an 11-character text that is
// not a decimal integer.
bool TCKNoKontrol(const QString& text);
