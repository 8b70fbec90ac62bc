# The Debian package: `cpack -G DEB` in the build folder. Configure the build with
# -DCMAKE_INSTALL_PREFIX=/usr for it (scripts/package_test.sh does): the package installs
# under the same prefix as `cmake --install`, so that the menu entries find the start script,
# and cpack_checks.cmake refuses a package for any other prefix.
set(CPACK_PACKAGE_NAME ${VARDEN_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# The prefix the menu entries were made for, for cpack_checks.cmake.
set(CPACK_VARDEN_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service software for the VARDEN banknote detector")
set(CPACK_PACKAGE_DESCRIPTION
    "The programs a technician uses beside a VARDEN banknote detector and counter,\n"
    "connected over an RS-232 line.\n"
    " - ornivex_control, the service window: collects banknote samples, keeps the\n"
    "   banknote database and loads it into the device, stores memory dumps and\n"
    "   records the results of counting runs.\n"
    " - varden, the service work from a terminal: make and download a database\n"
    "   (into several devices at once), upload it back, the ports, and the dumps\n"
    "   and results of a folder as lines or CSV.\n"
    " - ornivex_upgrade, a console tool that writes a new controller program into\n"
    "   the device.\n"
    " - varden_sim, the device simulated on a pseudo-terminal, for demos and\n"
    "   training.\n"
    " - varden_samples, a window that shows the collected samples of each side\n"
    "   against their envelope.")
list(JOIN CPACK_PACKAGE_DESCRIPTION "" CPACK_PACKAGE_DESCRIPTION)
set(VARDEN_PACKAGE_MAINTAINER "VARDEN service software <varden@example.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT ${VARDEN_PACKAGE_MAINTAINER})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Debian revision after the version, from the latest entry of packaging/changelog.
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VARDEN_PACKAGE_RELEASE})
# The Qt 6 and C++ library dependencies come from the programs themselves (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's "Courier new" text takes Liberation Mono's metrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)

set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_checks.cmake)

include(CPack)
