include(CMakePackageConfigHelpers)

install(TARGETS zelvora EXPORT zelvoraTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY include/zelvora DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY resources/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zelvora)
install(EXPORT zelvoraTargets NAMESPACE zelvora:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zelvora)

configure_package_config_file(cmake/zelvoraConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/zelvoraConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zelvora)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/zelvoraConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zelvoraConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/zelvoraConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zelvora)
