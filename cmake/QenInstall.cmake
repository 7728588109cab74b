include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS qenproperties EXPORT qenpropertiesTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# Public headers keep their folder layout: the include root is the install prefix's include directory.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/qenproperties
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h"
  PATTERN "testing" EXCLUDE
  PATTERN "*_test.h" EXCLUDE)

install(EXPORT qenpropertiesTargets
  NAMESPACE qenproperties::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qenproperties)

# The host kit has its own export set, which the package config includes when it is installed. Its JSON
# dependency is private to the shared library, so consumers need nothing beyond this package.
if(TARGET qenproperties_host)
  install(TARGETS qenproperties_host EXPORT qenpropertiesHostTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(EXPORT qenpropertiesHostTargets
    NAMESPACE qenproperties::
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qenproperties)
endif()

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/qenpropertiesConfig.cmake.in
  ${PROJECT_BINARY_DIR}/qenpropertiesConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qenproperties)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/qenpropertiesConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/qenpropertiesConfig.cmake ${PROJECT_BINARY_DIR}/qenpropertiesConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qenproperties)

configure_file(${PROJECT_SOURCE_DIR}/cmake/qenproperties.pc.in ${PROJECT_BINARY_DIR}/qenproperties.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/qenproperties.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
