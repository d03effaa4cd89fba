#!/bin/sh
# Starts the installed program in the user's data folder, where its register
# (radadir.dve) lives: the program's own folder is not writable.
set -e
data="${XDG_DATA_HOME:-$HOME/.local/share}"
case "$data" in
  /*) ;;
  *) data="$HOME/.local/share" ;;
esac
mkdir -p "$data/RadaDIR"
cd "$data/RadaDIR"
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/radadir/radadir" "$@"
