# What `cmake --install` puts under the prefix: the program, its manual page
# and its gnuplot scripts. The program finds the scripts relative to its own
# directory, so bin/ and share/xasreduce/ stay side by side.
install(TARGETS xasreduce RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/docs/xasreduce.1 DESTINATION share/man/man1)
install(FILES ${XAS_GNUPLOT_SCRIPTS} DESTINATION share/xasreduce)

# Installing and packaging take what is built and build nothing themselves:
# `make install` and `make deb` build the program alone first, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
