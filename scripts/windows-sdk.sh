#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libraries the Windows program links, from Debian's own source
# packages with Debian's mingw-w64 cross compiler, into one folder outside the
# tree: OpenSSL 3.0, SQLCipher (the version and settings of Debian's
# libsqlcipher0, so a register moves between the two systems unchanged),
# libpq 15, GoogleTest and Qt's qtbase.
#
# The folder's name carries a key of the recipe (this script, the toolchain
# file, the compiler and every source version), so a changed recipe builds anew
# and an unchanged one is reused. It is built under a temporary name and
# renamed when complete. RADADIR_WINDOWS_SDK names the folder instead; a key
# file inside tells whether it is finished and for which recipe.
#
# A finished qtbase built with the settings below may lie beside the tree in
# ../shared/windows-sdk/ (RADADIR_QTBASE_CACHE names another folder); it is
# taken when its checksum matches, else qtbase is built here (about 45 minutes
# on two cores).
#
# Prints the folder on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=$PWD
toolchain=$tree/cmake/mingw-w64-x86_64.cmake
triple=x86_64-w64-mingw32
jobs=${RADADIR_JOBS:-$(nproc)}

say() { echo "windows-sdk: $*" >&2; }
fail() { say "$*"; exit 1; }

scripts/install-deps.sh --windows >&2

# --- Source packages --------------------------------------------------------

# apt needs deb-src entries to fetch sources. When it has none, the machine's
# own Debian entries are copied with the source type into a file of ours.
deb_src_list=/etc/apt/sources.list.d/radadir-deb-src.sources
has_deb_src() {
  grep -rqsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/
}
enable_deb_src() {
  has_deb_src && return 0
  say "enabling Debian source packages in $deb_src_list"
  local tmp
  tmp=$(mktemp)
  python3 - "$tmp" <<'PY'
import glob, re, sys
out = []
# deb822 files: stanzas with the deb type whose entries are Debian's.
for path in sorted(glob.glob('/etc/apt/sources.list.d/*.sources')):
    for stanza in re.split(r'\n\s*\n', open(path).read()):
        fields = {}
        for line in stanza.splitlines():
            m = re.match(r'([A-Za-z-]+):\s*(.*)', line)
            if m:
                fields[m.group(1).lower()] = m.group(2)
        if 'deb' not in fields.get('types', '').split():
            continue
        if 'debian' not in fields.get('uris', '') and 'debian-archive-keyring' not in fields.get('signed-by', ''):
            continue
        lines = [l for l in stanza.splitlines() if l.strip() and not l.lstrip().startswith('#')]
        lines = ['Types: deb-src' if l.lower().startswith('types:') else l for l in lines]
        out.append('\n'.join(lines))
# One-line entries in sources.list.
for path in ['/etc/apt/sources.list'] + sorted(glob.glob('/etc/apt/sources.list.d/*.list')):
    try:
        text = open(path).read()
    except OSError:
        continue
    for line in text.splitlines():
        if re.match(r'\s*deb\s', line) and '/debian' in line:
            out.append(re.sub(r'^\s*deb\s', 'deb-src ', line))
if not out:
    sys.exit('no Debian entry to copy')
# A one-line entry cannot sit in a deb822 file: write those as stanzas.
stanzas = []
for entry in out:
    if entry.startswith('deb-src '):
        parts = entry.split()
        opts = ''
        rest = parts[1:]
        if rest and rest[0].startswith('['):
            while not rest[0].endswith(']'):
                opts += rest.pop(0) + ' '
            opts += rest.pop(0)
        entry = 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s' % (rest[0], rest[1], ' '.join(rest[2:]))
        m = re.search(r'signed-by=([^\s\]]+)', opts)
        if m:
            entry += '\nSigned-By: ' + m.group(1)
    stanzas.append(entry)
open(sys.argv[1], 'w').write('\n\n'.join(stanzas) + '\n')
PY
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo install -m 0644 "$tmp" "$deb_src_list"
  rm -f "$tmp"
  $sudo apt-get update >&2
}

# Source packages are downloaded once into a folder of their own.
sources=${XDG_CACHE_HOME:-$HOME/.cache}/radadir/sources
mkdir -p "$sources"

# Downloads a source package and prints its version: the newest apt knows
# whose files the mirror holds (a mirror may lack a fresh security upload).
fetch_source() {
  local version
  for version in $(apt-cache showsrc --only-source "$1" | sed -n 's/^Version: //p' | sort -u -r -V); do
    if (cd "$sources" && apt-get source --download-only "$1=$version") >>"$sources/fetch.log" 2>&1; then
      echo "${version#*:}"
      return 0
    fi
  done
  fail "cannot download the source package $1; see $sources/fetch.log"
}

enable_deb_src

openssl_version=$(fetch_source openssl)
sqlcipher_version=$(fetch_source sqlcipher)
postgresql_version=$(fetch_source postgresql-15)
googletest_version=$(fetch_source googletest)
case $openssl_version in 3.0.*) ;; *) fail "OpenSSL 3.0 expected, apt offers $openssl_version" ;; esac
case $sqlcipher_version in 3.4.1-*) ;; *) fail "SQLCipher 3.4.1 expected, apt offers $sqlcipher_version" ;; esac

# The cache beside this tree, or beside the main tree when this is one of
# its worktrees.
qt_name=qtbase-6.4.2-mingw-w64-x86_64.tar.xz
qt_caches=("$tree/../shared/windows-sdk")
common=$(git -C "$tree" rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)
[ -n "$common" ] && qt_caches+=("$(dirname "$common")/../shared/windows-sdk")
[ -n "${RADADIR_QTBASE_CACHE:-}" ] && qt_caches=("$RADADIR_QTBASE_CACHE")
qt_from_cache=no
for qt_cache in "${qt_caches[@]}"; do
  qt_tarball=$qt_cache/$qt_name
  if [ -f "$qt_tarball" ] && [ -f "$qt_cache/SHA256SUMS" ] \
     && (cd "$qt_cache" && grep " $qt_name\$" SHA256SUMS | sha256sum --check --status); then
    qt_from_cache=yes
    qt_recipe="qtbase cache $(grep " $qt_name\$" "$qt_cache/SHA256SUMS" | cut -d' ' -f1)"
    break
  fi
done
if [ "$qt_from_cache" = no ]; then
  say "no qtbase cache with a matching checksum: qtbase is built from source (about 45 minutes)"
  qt_version=$(fetch_source qt6-base)
  case $qt_version in 6.4.2*) ;; *) fail "qtbase 6.4.2 expected, apt offers $qt_version" ;; esac
  qt_recipe="qt6-base $qt_version"
fi

# --- The folder ------------------------------------------------------------

compiler=$(dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix)
key=$( {
  cat "$tree/scripts/windows-sdk.sh" "$toolchain"
  echo "compiler $compiler"
  echo "openssl $openssl_version sqlcipher $sqlcipher_version postgresql-15 $postgresql_version googletest $googletest_version"
  echo "$qt_recipe"
} | sha256sum | cut -c1-12)

if [ -n "${RADADIR_WINDOWS_SDK:-}" ]; then
  sdk=$RADADIR_WINDOWS_SDK
else
  sdk=${XDG_CACHE_HOME:-$HOME/.cache}/radadir/windows-sdk-$key
fi
case $sdk in /*) ;; *) sdk=$PWD/$sdk ;; esac
if [ -f "$sdk/.recipe" ] && [ "$(cat "$sdk/.recipe")" = "$key" ]; then
  say "reusing $sdk"
  echo "$sdk"
  exit 0
fi

work=$(dirname "$sdk")/.$(basename "$sdk").work
part=$sdk.part
mkdir -p "$(dirname "$sdk")"
rm -rf "$part" "$work"
mkdir -p "$part/lib/pkgconfig" "$part/bin" "$part/include" "$work/src" "$part/logs"
logs=$part/logs
say "building into $sdk (recipe $key)"

# Each step's output goes to the library's log; a failure names both. The
# step runs in a subshell of its own (in the background, so that errexit holds
# inside it), and a cd stays there.
step() {
  local name=$1
  shift
  local start=$SECONDS
  say "$name..."
  ( set -euxo pipefail; "$@" ) >>"$logs/$name.log" 2>&1 &
  if ! wait $!; then
    fail "building $name failed; see $sdk.part/logs/$name.log"
  fi
  echo "$name $((SECONDS - start)) s" >>"$logs/times.txt"
}

# Unpacks a downloaded source package, with Debian's patches applied, and
# enters it.
unpack() {
  dpkg-source -x "$sources/$1_$2.dsc" "$work/src/$1"
  cd "$work/src/$1"
}

cross_env=(
  CC=$triple-gcc-posix CXX=$triple-g++-posix AR=$triple-gcc-ar-posix RANLIB=$triple-gcc-ranlib-posix
  RC=$triple-windres WINDRES=$triple-windres STRIP=$triple-strip
)

# --- OpenSSL 3.0: libcrypto for SQLCipher, libssl for libpq ----------------

build_openssl() {
  unpack openssl "$openssl_version"
  env "${cross_env[@]}" ./Configure mingw64 shared no-tests --prefix="$part" --libdir=lib \
    --openssldir="$part/ssl"
  make -j"$jobs" build_libs
  make install_dev install_runtime_libs
}

# --- SQLCipher, as Debian's libsqlcipher0 ----------------------------------

# The compile settings of Debian's package (its debian/rules and configure
# options; "PRAGMA compile_options" lists the same on both systems), so that
# page size, key derivation and every format choice are the Linux build's.
sqlcipher_cflags=(
  -O2 -fno-strict-aliasing
  -DSQLITE_SECURE_DELETE -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_RTREE=1
  -DSQLITE_SOUNDEX=1 -DSQLITE_ENABLE_UNLOCK_NOTIFY -DSQLITE_OMIT_LOOKASIDE=1
  -DSQLITE_ENABLE_UPDATE_DELETE_LIMIT=1 -DSQLITE_MAX_SCHEMA_RETRY=25 -DSQLITE_HAS_CODEC -DHAVE_USLEEP=1
  -DHAVE_ISNAN=1 -DSQLITE_THREADSAFE=1 -DSQLITE_TEMP_STORE=2
)
build_sqlcipher() {
  unpack sqlcipher "$sqlcipher_version"
  # The amalgamation is generated with the build machine's tools, then
  # compiled for Windows as one DLL.
  ./configure --enable-threadsafe --enable-load-extension --enable-tempstore --disable-tcl
  make sqlite3.c
  $triple-gcc-posix -shared -o "$part/bin/libsqlcipher-0.dll" sqlite3.c \
    "${sqlcipher_cflags[@]}" -DSQLITE_API='__declspec(dllexport)' -I"$part/include" \
    -Wl,--out-implib,"$part/lib/libsqlcipher.dll.a" -L"$part/lib" -lcrypto
  mkdir -p "$part/include/sqlcipher"
  cp sqlite3.h sqlite3ext.h "$part/include/sqlcipher/"
  cat >"$part/lib/pkgconfig/sqlcipher.pc" <<EOF
prefix=\${pcfiledir}/../..
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SQLCipher
Description: SQL database engine with encryption
Version: ${sqlcipher_version%%-*}
Libs: -L\${libdir} -lsqlcipher
Cflags: -I\${includedir}/sqlcipher
EOF
}

# --- libpq 15 ----------------------------------------------------------------

build_libpq() {
  unpack postgresql-15 "$postgresql_version"
  env "${cross_env[@]}" ./configure --host=$triple --prefix="$part" --with-ssl=openssl \
    --without-readline --without-zlib --without-icu --without-llvm --without-perl --without-python \
    --without-tcl --without-gssapi --without-ldap \
    CPPFLAGS="-I$part/include" LDFLAGS="-L$part/lib"
  make -C src/include
  make -j"$jobs" -C src/common
  make -j"$jobs" -C src/port
  make -j"$jobs" -C src/interfaces/libpq
  make -C src/include install
  make -C src/interfaces/libpq install
}

# --- GoogleTest ----------------------------------------------------------------

build_googletest() {
  unpack googletest "$googletest_version"
  cmake -G Ninja -S . -B build -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$part" -DBUILD_SHARED_LIBS=OFF -Dgtest_force_shared_crt=ON
  cmake --build build -j"$jobs"
  cmake --install build
}

# --- qtbase 6.4.2 ------------------------------------------------------------

build_qtbase() {
  if [ "$qt_from_cache" = yes ]; then
    tar -C "$part" -xJf "$qt_tarball"
    return
  fi
  # The upstream source as Debian ships it, without Debian's patches.
  mkdir -p "$work/src/qtbase"
  tar -C "$work/src/qtbase" --strip-components=1 -xf "$sources/qt6-base_${qt_version%%-*}.orig.tar.xz"
  cd "$work/src/qtbase"
  # Host tools from Debian's own Qt 6.4.2.
  cmake -G Ninja -S . -B build -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$part/qt" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_sql=OFF -DFEATURE_opengl=OFF \
    -DFEATURE_dynamicgl=OFF -DFEATURE_dbus=OFF -DFEATURE_openssl=OFF -DFEATURE_schannel=ON \
    -DFEATURE_tabletevent=OFF
  cmake --build build -j"$jobs"
  cmake --install build
}

step openssl build_openssl
step sqlcipher build_sqlcipher
step libpq build_libpq
step googletest build_googletest
step qtbase build_qtbase

# pkg-config files that name the folder by the path they lie in, so the
# finished folder may be moved.
for pc in "$part"/lib/pkgconfig/*.pc; do
  sed -i "s|^prefix=.*|prefix=\${pcfiledir}/../..|; s|$part|\${prefix}|g" "$pc"
done

# Qt's translations ship with the program, as on Linux.
mkdir -p "$part/translations"
cp /usr/share/qt6/translations/qtbase_tr.qm "$part/translations/"

echo "$key" >"$part/.recipe"
rm -rf "$work" "$sdk"
mv "$part" "$sdk"
cat "$sdk/logs/times.txt" >&2
echo "$sdk"
