// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The terminal a program was started from.
namespace Console {

enum class Stream { Output, Error };

// Writes the text and a line end to the program's standard output or
// error. False when there is no terminal to write to: a windowed program on
// Windows started from a shortcut has none.
bool write(const QString& text, Stream stream);

} // namespace Console
