# Read by cpack once for each generator. A Debian package installs under /usr, never under
# /usr/local, and its menu entries name the start script where the package puts it; both
# follow the build's install prefix, so a build configured for another prefix is refused.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT (CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr" AND
                                          CPACK_VARDEN_INSTALL_PREFIX STREQUAL "/usr"))
    message(FATAL_ERROR
        "The Debian package must install under /usr, but this build installs under "
        "${CPACK_VARDEN_INSTALL_PREFIX}. Configure the build with "
        "-DCMAKE_INSTALL_PREFIX=/usr (cmake -S . -B build -DCMAKE_INSTALL_PREFIX=/usr), build "
        "it again and run cpack -G DEB there.")
endif()
