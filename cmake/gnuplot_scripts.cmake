# The gnuplot scripts with which the program draws its pictures. A program
# looks for them in share/xasreduce/ beside its own directory when installed
# (bin/../share/xasreduce/) and in share/xasreduce/ inside its directory when
# run from the build tree: building the program copies them there.
file(GLOB XAS_GNUPLOT_SCRIPTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/share/*.gp)

set(XAS_BUILD_DATA_DIR ${CMAKE_CURRENT_BINARY_DIR}/share/xasreduce)
set(copies)
foreach(script ${XAS_GNUPLOT_SCRIPTS})
  get_filename_component(name ${script} NAME)
  add_custom_command(OUTPUT ${XAS_BUILD_DATA_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${script} ${XAS_BUILD_DATA_DIR}/${name}
    DEPENDS ${script}
    COMMENT "Copying ${name} to share/xasreduce/")
  list(APPEND copies ${XAS_BUILD_DATA_DIR}/${name})
endforeach()
add_custom_target(gnuplot_scripts DEPENDS ${copies})
add_dependencies(xasreduce gnuplot_scripts)
