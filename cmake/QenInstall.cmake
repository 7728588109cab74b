include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS qenproperties EXPORT qenpropertiesTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# qen_install_headers(set): the headers listed with qen_public_headers(SET set ...), and only those, keep their
# folder layout below the install prefix's include directory.
function(qen_install_headers set)
  get_property(headers GLOBAL PROPERTY QEN_PUBLIC_HEADERS_${set})
  if(NOT headers)
    message(FATAL_ERROR "no public headers were listed for ${set}")
  endif()
  foreach(header ${headers})
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${folder})
  endforeach()
endfunction()

qen_install_headers(core)

install(EXPORT qenpropertiesTargets
  NAMESPACE qenproperties::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/qenproperties)

# The host kit has its own export set, which the package config includes when it is installed. Its JSON
# dependency is private to the shared library, so consumers need nothing beyond this package.
if(TARGET qenproperties_host)
  qen_install_headers(host)
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
