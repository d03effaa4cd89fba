# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (posix
# threads). RADADIR_WINDOWS_SDK names the folder with the libraries built by
# scripts/windows-sdk.sh; Qt lies in its qt/ subfolder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_AR ${_triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_triple}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT RADADIR_WINDOWS_SDK AND DEFINED ENV{RADADIR_WINDOWS_SDK})
  set(RADADIR_WINDOWS_SDK $ENV{RADADIR_WINDOWS_SDK})
endif()
# Try-compile projects see the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RADADIR_WINDOWS_SDK)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
if(RADADIR_WINDOWS_SDK)
  list(APPEND CMAKE_FIND_ROOT_PATH ${RADADIR_WINDOWS_SDK} ${RADADIR_WINDOWS_SDK}/qt)
  # pkg-config looks only at the SDK's own files, never at the build machine's.
  set(ENV{PKG_CONFIG_LIBDIR} ${RADADIR_WINDOWS_SDK}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
