# The Python module: the package python/xasreduce (its __init__.py) with the
# bindings _xasreduce beside it, built when the Python headers and pybind11
# are there (Debian's python3-dev and python3-pybind11), for Debian's own
# python3 unless Python3_EXECUTABLE says otherwise. In the build tree the
# package is build/python/xasreduce, for the tests.
set(XAS_PYTHON AUTO CACHE STRING "Build the Python module: ON, OFF or AUTO (if pybind11 is found)")
set_property(CACHE XAS_PYTHON PROPERTY STRINGS AUTO ON OFF)
set(XAS_PYTHON_BUILT OFF)
# The sanitizers' runtime cannot be loaded into an interpreter built without
# them: the sanitizer build leaves the module out.
if(NOT XAS_PYTHON STREQUAL OFF AND NOT XAS_SANITIZE)
  if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
    set(Python3_EXECUTABLE /usr/bin/python3)
  endif()
  if(XAS_PYTHON STREQUAL ON)
    set(need REQUIRED)
  else()
    set(need QUIET)
  endif()
  find_package(Python3 COMPONENTS Interpreter Development.Module ${need})
  if(Python3_FOUND)
    set(PYBIND11_FINDPYTHON ON)
    find_package(pybind11 CONFIG ${need})
  endif()
  if(Python3_FOUND AND pybind11_FOUND)
    set(XAS_PYTHON_BUILT ON)
  endif()
endif()

if(XAS_PYTHON_BUILT)
  set(XAS_PACKAGE_DIR ${CMAKE_BINARY_DIR}/python/xasreduce)
  # NO_EXTRAS: no link-time optimisation or stripping; the arithmetic is
  # that of the library's own objects.
  pybind11_add_module(_xasreduce MODULE NO_EXTRAS python/module.cpp python/spectrum.cpp)
  target_link_libraries(_xasreduce PRIVATE xascore)
  set_target_properties(_xasreduce PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${XAS_PACKAGE_DIR})
  add_custom_command(OUTPUT ${XAS_PACKAGE_DIR}/__init__.py
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/python/xasreduce/__init__.py
            ${XAS_PACKAGE_DIR}/__init__.py
    DEPENDS ${PROJECT_SOURCE_DIR}/python/xasreduce/__init__.py)
  add_custom_target(python_package ALL DEPENDS ${XAS_PACKAGE_DIR}/__init__.py _xasreduce)

  # Installed where Debian's python3 looks for it under the prefix:
  # /usr/lib/python3/dist-packages for the Debian package (prefix /usr),
  # PREFIX/lib/python3.X/dist-packages otherwise (on the path of /usr/local
  # with no PYTHONPATH). The prefix is known only when installing.
  set(version ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR})
  install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
      set(packages lib/python3/dist-packages)
    else()
      set(packages lib/python${version}/dist-packages)
    endif()
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/\${packages}/xasreduce\" TYPE FILE
         FILES \"${PROJECT_SOURCE_DIR}/python/xasreduce/__init__.py\")
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/\${packages}/xasreduce\" TYPE MODULE
         FILES \"$<TARGET_FILE:_xasreduce>\")
    # Stripped where the install strips (--strip, the package).
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${packages}/xasreduce/$<TARGET_FILE_NAME:_xasreduce>\")
    endif()
  ")
endif()
