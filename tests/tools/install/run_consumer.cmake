# Installs the build into a scratch prefix, moves the tree elsewhere, and
# builds and runs a C++ and a C consumer against the moved tree twice: through
# the CMake package (find_package(Zelto)) and through pkg-config. Also checks
# that the versions agree and that manual pages and completion are installed.
# Arguments: BUILD_DIR WORK SOURCE_DIR GENERATOR CC CXX
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " shown "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${shown}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()
function(expect_equal what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}: '${actual}', expected '${expected}'")
  endif()
endfunction()

set(staged ${WORK}/staged)
set(moved ${WORK}/moved)
file(REMOVE_RECURSE ${WORK})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${staged})
file(RENAME ${staged} ${moved})  # nothing may point at the prefix it was installed to

file(GLOB pcdirs ${moved}/lib*/pkgconfig ${moved}/lib/*/pkgconfig)
list(GET pcdirs 0 pcdir)
get_filename_component(libdir ${pcdir} DIRECTORY)
set(expected share/man/man1/vortan.1 share/man/man1/zelto2edt.1
    share/bash-completion/completions/vortan share/bash-completion/completions/zelto2edt)
if(EXISTS ${moved}/bin/ZeltoConverter)
  list(APPEND expected share/man/man1/ZeltoConverter.1)
endif()
foreach(f ${expected})
  if(NOT EXISTS ${moved}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
foreach(tool vortan zelto2edt)
  run(bash -n ${moved}/share/bash-completion/completions/${tool})
endforeach()
file(GLOB soname ${libdir}/libVORTAN.so.13)
if(NOT soname)
  message(FATAL_ERROR "libVORTAN.so.13 missing under ${libdir}")
endif()

# The installed programs run from the moved tree and say the versions.
run(env -u LD_LIBRARY_PATH ${moved}/bin/vortan --version)
string(REGEX MATCH "^vortan \\(Zelto\\) ([0-9.]+)\nVORTAN library ([0-9.]+)\n$" _ "${out}")
set(package_version "${CMAKE_MATCH_1}")
set(library_version "${CMAKE_MATCH_2}")
if(NOT package_version OR NOT library_version)
  message(FATAL_ERROR "vortan --version: ${out}")
endif()
run(env -u LD_LIBRARY_PATH ${moved}/bin/zelto2edt --version)
expect_equal("zelto2edt --version" "${out}" "zelto2edt (Zelto) ${package_version}\nVORTAN library ${library_version}\n")
if(EXISTS ${moved}/bin/ZeltoConverter)  # built when Qt 6 is there; answers without a display
  run(env -u LD_LIBRARY_PATH -u DISPLAY -u WAYLAND_DISPLAY ${moved}/bin/ZeltoConverter --version)
  expect_equal("ZeltoConverter --version" "${out}"
               "ZeltoConverter (Zelto) ${package_version}\nVORTAN library ${library_version}\n")
endif()

# 1. The CMake package, found through the moved prefix.
set(cm ${WORK}/cmake-consumer)
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/consumer -B ${cm} -G ${GENERATOR}
    -DCMAKE_C_COMPILER=${CC} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${moved}
    -DC_CLIENT_SOURCE=${SOURCE_DIR}/consumer/client.c)
run(${CMAKE_COMMAND} --build ${cm})
file(READ ${cm}/zelto_version.txt cmake_version)
expect_equal("Zelto_VERSION of find_package" "${cmake_version}" "${package_version}")

# 2. pkg-config on the moved tree, nothing else on its path.
set(pc ${WORK}/pkgconfig-consumer)
file(MAKE_DIRECTORY ${pc})
set(pkgenv env PKG_CONFIG_PATH=${pcdir} PKG_CONFIG_LIBDIR=${pcdir})
run(${pkgenv} pkg-config --modversion vortan)
string(STRIP "${out}" vortan_pc_version)
string(REGEX REPLACE "\\.0$" "" vortan_pc_short "${vortan_pc_version}")
expect_equal("vortan.pc Version" "${vortan_pc_short}" "${library_version}")
run(${pkgenv} pkg-config --modversion zeltoqvxconverter)
string(STRIP "${out}" converter_pc_version)
expect_equal("zeltoqvxconverter.pc Version" "${converter_pc_version}" "${package_version}")
run(${pkgenv} pkg-config --cflags --libs zeltoqvxconverter)
string(STRIP "${out}" flags)
separate_arguments(cxxflags UNIX_COMMAND "${flags}")
if(NOT flags MATCHES "-I${moved}/")
  message(FATAL_ERROR "pkg-config flags do not point into the moved tree: ${flags}")
endif()
run(${CXX} -std=c++17 ${SOURCE_DIR}/consumer/consumer.cpp ${cxxflags} -Wl,-rpath,${libdir} -o ${pc}/cxx_consumer)
run(${pkgenv} pkg-config --cflags --libs vortan)
string(STRIP "${out}" flags)
separate_arguments(cflags UNIX_COMMAND "${flags}")
run(${CC} -std=c11 ${SOURCE_DIR}/consumer/client.c -Wall -Wextra -Werror ${cflags} -lm -Wl,-rpath,${libdir} -o ${pc}/c_consumer)

# Both consumers, both ways, convert and project alike.
foreach(dir ${cm} ${pc})
  run(env -u LD_LIBRARY_PATH ${dir}/c_consumer)
  run(env -u LD_LIBRARY_PATH ${dir}/cxx_consumer ${SOURCE_DIR}/../../../examples/harbour_survey.csv
      ${SOURCE_DIR}/../../../examples/harbour_geodesy.ini ${dir}/harbour.EDT)
  expect_equal("${dir}/cxx_consumer" "${out}" "records 300, library 1302\n")
endforeach()
file(REMOVE_RECURSE ${WORK})
