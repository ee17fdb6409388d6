# What `cmake --install` puts under the prefix: the program, its manual page
# and its gnuplot scripts. The program finds the scripts relative to its own
# directory, so bin/ and share/xasreduce/ stay side by side.
install(TARGETS xasreduce RUNTIME DESTINATION bin)
# The manual page carries the project's version.
configure_file(${PROJECT_SOURCE_DIR}/docs/xasreduce.1 ${CMAKE_CURRENT_BINARY_DIR}/xasreduce.1 @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/xasreduce.1 DESTINATION share/man/man1)
install(FILES ${XAS_GNUPLOT_SCRIPTS} DESTINATION share/xasreduce)

# Installing and packaging take what is built and build nothing themselves:
# `make install` and `make deb` build the program alone first, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
