# SPDX-License-Identifier: GPL-2.0-or-later
# Cross toolchain for the 32-bit programs: Debian's i686 cross compiler
# (g++-i686-linux-gnu), code for the i486 and later, musl's C library for i386
# (musl-dev:i386, installed through dpkg --add-architecture i386).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i486)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_C_FLAGS_INIT -march=i486)
set(CMAKE_CXX_FLAGS_INIT -march=i486)
set(MUSL_GCC /usr/lib/i386-linux-musl/musl-gcc.specs)
