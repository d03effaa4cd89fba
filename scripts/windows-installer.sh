#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Windows setup from the cross build: gathers the program, the DLLs
# it loads (followed from its imports through the library folder and the
# compiler's runtime, the system's own left out), the Qt plugins it needs,
# Qt's Turkish translation and the icon into build/windows/stage, and runs
# makensis on packaging/windows/radadir.nsi.
# Usage: windows-installer.sh <library folder>   (prints the setup's path)
set -euo pipefail
cd "$(dirname "$0")/.."
sdk=$1
out=$PWD/build/windows
version=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "windows-installer: no version in CMakeLists.txt" >&2; exit 1; }
stage=$out/stage
setup=$out/RadaDIR-$version-setup.exe

search=("$sdk/bin" "$sdk/qt/bin" /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)
# The DLL of that name in the search folders; nothing for the system's own.
# Windows names DLLs regardless of case (libpq's import reads LIBPQ.dll).
find_dll() {
  local d found
  for d in "${search[@]}"; do
    found=$(find "$d" -maxdepth 1 -type f -iname "$1" | head -n 1)
    [ -n "$found" ] && { printf '%s\n' "$found"; return; }
  done
  return 0
}
declare -A seen=()
# Copies the DLLs a file imports, and theirs, beside the program.
copy_imports() {
  local name path
  while read -r name; do
    [ -n "${seen[${name,,}]:-}" ] && continue
    seen[${name,,}]=1
    path=$(find_dll "$name")
    [ -n "$path" ] || continue
    cp "$path" "$stage/"
    copy_imports "$path"
  done < <(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p')
}

rm -rf "$stage"
mkdir -p "$stage"
cp "$out/src/radadir.exe" "$out/src/generated/radadir.ico" "$stage/"
mkdir -p "$stage/translations"
cp "$out/src/translations/qtbase_tr.qm" "$stage/translations/"
# The window system, the native look, TLS through Schannel, and the picture
# formats an announcement page may hold.
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll tls/qschannelbackend.dll \
              imageformats/qgif.dll imageformats/qjpeg.dll imageformats/qico.dll; do
  mkdir -p "$stage/$(dirname "$plugin")"
  cp "$sdk/qt/plugins/$plugin" "$stage/$plugin"
done
copy_imports "$stage/radadir.exe"
while read -r plugin; do copy_imports "$plugin"; done < <(find "$stage" -mindepth 2 -name '*.dll')

# What the setup installs and what the uninstaller removes: exactly these.
(
  cd "$stage"
  : >files.nsh
  : >unfiles.nsh
  while read -r dir; do
    win=${dir#.}; win=${win//\//\\}
    echo "SetOutPath \"\$INSTDIR$win\"" >>files.nsh
    find "$dir" -maxdepth 1 -type f ! -name '*.nsh' | sort | while read -r f; do
      base=${f##*/}
      echo "File \"$stage${f#.}\"" >>files.nsh
      echo "Delete \"\$INSTDIR$win\\$base\"" >>unfiles.nsh
    done
  done < <(find . -type d | sort)
  find . -mindepth 1 -type d | sort -r | while read -r dir; do
    win=${dir#.}; win=${win//\//\\}
    echo "RMDir \"\$INSTDIR$win\"" >>unfiles.nsh
  done
)

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
  packaging/windows/radadir.nsi >&2
printf '%s\n' "$setup"
