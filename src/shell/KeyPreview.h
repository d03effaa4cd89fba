#pragma once

class QKeyEvent;

// What the windows' key previews make of a key.
namespace KeyPreview {

// A key that types a character through AltGr. On Windows AltGr arrives as
// Ctrl+Alt, so AltGr+E ("€" on a Turkish Q keyboard) would otherwise read
// as Ctrl+E: such a key is never a command.
bool isAltGrCharacter(const QKeyEvent& key);

// Enter or Return without Ctrl: the key that moves on to the next box.
bool isPlainEnter(const QKeyEvent& key);

} // namespace KeyPreview
