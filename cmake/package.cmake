# What `cmake --install` puts where, and the Debian package that CPack makes
# from the same rules:
#   cmake --install build                  # under /usr/local
#   (cd build && cpack -G DEB)             # build/quorvel_<version>_amd64.deb
# The desktop program installs itself, its icon, its desktop entry and its
# AppStream metainfo (ui/CMakeLists.txt); this file adds quorvel-cli and the
# manual pages.
include(GNUInstallDirs)

install(TARGETS quorvel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages: the version filled in at configure time (build/man/NAME),
# installed compressed with gzip -9n as Debian ships them (-n leaves the name
# and time out, so the package is the same from build to build).
set(QUORVEL_MANUAL_PAGES quorvel-cli.1)
if(QUORVEL_GUI)
  list(APPEND QUORVEL_MANUAL_PAGES quorvel.1)
endif()
set(manualPagesGz "")
foreach(page ${QUORVEL_MANUAL_PAGES})
  set(source ${PROJECT_SOURCE_DIR}/resources/${page}.in)
  set(configured ${PROJECT_BINARY_DIR}/man/${page})
  configure_file(${source} ${configured} @ONLY)
  add_custom_command(OUTPUT ${configured}.gz
    COMMAND gzip -9nkf ${configured}
    DEPENDS ${configured}
    COMMENT "Compressing the manual page ${page}")
  list(APPEND manualPagesGz ${configured}.gz)
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${manualPagesGz})
install(FILES ${manualPagesGz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package: both programs, the desktop entry, the metainfo, the
# icon and the manual pages. dpkg-shlibdeps (from dpkg-dev) finds the shared libraries'
# packages; the window's monospace font is a file it cannot see.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "Quorvel developers")
set(CPACK_PACKAGE_CONTACT "Quorvel Developer <dev@quorvel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calculator for integers of up to 5,000,000 bits")
set(CPACK_PACKAGE_DESCRIPTION
"Quorvel computes exactly with integers of up to 5,000,000 bits (about
1.5 million decimal digits) and shows every value in full, at once in
hexadecimal, as a row of bits and in decimal. Besides the four arithmetic
operations it has remainder, shifts, AND, OR, XOR and NOT, powers, modular
exponentiation, integer square root, GCD, factorials, permutations and
combinations, a memory register, and keys that repeat the last operation.
Long computations run on a worker thread and can be cancelled.

The package holds the desktop program quorvel (Qt 6) and quorvel-cli,
which presses the same keys from the command line or a script and prints
the result, with an exit status that tells a value from an error message.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(QUORVEL_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
