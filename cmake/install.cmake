# What `cmake --install` puts under the prefix: the program, its manual page
# and its gnuplot scripts. The program finds the scripts relative to its own
# directory, so bin/ and share/xasreduce/ stay side by side.
install(TARGETS xasreduce RUNTIME DESTINATION bin)
# The manual page carries the project's version; it is installed compressed,
# as man reads it, and the copyright and the changelog go with it.
configure_file(${PROJECT_SOURCE_DIR}/docs/xasreduce.1 ${CMAKE_CURRENT_BINARY_DIR}/xasreduce.1 @ONLY)
find_program(XAS_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/xasreduce.1.gz
  COMMAND ${XAS_GZIP} -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/xasreduce.1 > ${CMAKE_CURRENT_BINARY_DIR}/xasreduce.1.gz
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/xasreduce.1)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  COMMAND ${XAS_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(documents ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/xasreduce.1.gz
                                        ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/xasreduce.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION share/doc/xasreduce)
install(FILES ${XAS_GNUPLOT_SCRIPTS} DESTINATION share/xasreduce)

# Installing and packaging take what is built and build nothing themselves:
# `make install` and `make deb` build the program alone first, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
