# SPDX-License-Identifier: GPL-2.0-or-later
# The static programs: one small file that runs on any x86 Linux since 2.6.
# They link musl's C library and no C++ runtime (the sources use the C headers,
# no exceptions, RTTI or new), and GNU getopt from gnulib, since musl's getopt
# parses and reports options differently. MUSL_GCC names musl's gcc options file
# for the target (the cross toolchain file sets it); by default the host's.
if(NOT MUSL_GCC)
  string(REPLACE "-gnu" "-musl" musl_arch "${CMAKE_LIBRARY_ARCHITECTURE}")
  set(MUSL_GCC /usr/lib/${musl_arch}/musl-gcc.specs)
endif()
if(NOT EXISTS ${MUSL_GCC})
  message(FATAL_ERROR "no ${MUSL_GCC}: install musl-dev, or configure with -DRELAYSWITCH_STATIC=OFF "
    "for programs linked dynamically against the system's C library")
endif()

# musl brings no kernel headers: the compiler's own linux/, asm/ and
# asm-generic/ (for linux/ppdev.h), and nothing else of the other C library.
set(kernel_headers ${PROJECT_BINARY_DIR}/kernel-headers)
file(MAKE_DIRECTORY ${kernel_headers})
foreach(header linux/ppdev.h asm/ioctl.h asm-generic/ioctl.h)
  get_filename_component(sub ${header} DIRECTORY)
  unset(found)
  foreach(dir ${CMAKE_C_IMPLICIT_INCLUDE_DIRECTORIES})
    if(NOT found AND EXISTS ${dir}/${header})
      set(found ${dir}/${sub})
    endif()
  endforeach()
  if(NOT found)
    message(FATAL_ERROR "no ${header} for the compiler (package linux-libc-dev)")
  endif()
  file(CREATE_LINK ${found} ${kernel_headers}/${sub} SYMBOLIC)
endforeach()

add_subdirectory(gnulib)
foreach(target relaycmd pinlatch relayswitch relayswitch-sim relayswitch-shell gnugetopt)
  target_compile_options(${target} PRIVATE -specs=${MUSL_GCC} -idirafter ${kernel_headers}
    $<$<COMPILE_LANGUAGE:CXX>:-nostdinc++ -fno-exceptions -fno-rtti -fno-threadsafe-statics>)
endforeach()
target_link_libraries(relaycmd PRIVATE gnugetopt)
# Each program's link map (relayswitch.map beside it) says which files of
# other packages went into it: the Debian package's Static-Built-Using is read
# off it (dist/static-built-using.sh).
foreach(prog relayswitch relayswitch-sim relayswitch-shell)
  target_link_libraries(${prog} PRIVATE gnugetopt)
  target_link_options(${prog} PRIVATE -specs=${MUSL_GCC} -static
    -Wl,-Map=$<TARGET_FILE:${prog}>.map)
  set_target_properties(${prog} PROPERTIES LINKER_LANGUAGE C)	# no C++ runtime
endforeach()
