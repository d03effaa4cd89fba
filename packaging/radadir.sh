#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the installed program in the user's data folder, where its register
# (radadir.dve) lives: the program's own folder is not writable.
# When the folder cannot be made, the program is started all the same, to
# tell the clerk so: a menu entry shows nobody what a script writes.
here=$(dirname "$(readlink -f "$0")")
program="$here/../lib/radadir/radadir"
data="${XDG_DATA_HOME:-}"
case "$data" in
  /*) ;;
  *)
    if [ -z "${HOME:-}" ]; then
      exec "$program" --data-folder-failed "\$HOME/.local/share/RadaDIR"
    fi
    data="$HOME/.local/share" ;;
esac
folder="$data/RadaDIR"
if ! mkdir -m 700 -p "$folder" 2>/dev/null || ! cd "$folder" 2>/dev/null; then
  exec "$program" --data-folder-failed "$folder"
fi
exec "$program" "$@"
