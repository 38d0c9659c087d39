# Installs the build into a scratch prefix, moves the tree elsewhere, and
# builds and runs a C++ and a C consumer against the moved tree twice: through
# the CMake package (find_package(Zelto)) and through pkg-config. Also checks
# that the versions agree and that manual pages and completion are installed.
# Arguments: BUILD_DIR WORK SOURCE_DIR GENERATOR CC CXX
function(run)  # the command's standard output, stripped, in `out`
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " shown "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${shown}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()
function(expect_equal what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}: '${actual}', expected '${expected}'")
  endif()
endfunction()

set(moved ${WORK}/moved)
file(REMOVE_RECURSE ${WORK})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK}/staged)
file(RENAME ${WORK}/staged ${moved})  # nothing may point at the prefix it was installed to
file(GLOB pcdir ${moved}/lib*/pkgconfig ${moved}/lib/*/pkgconfig)
list(GET pcdir 0 pcdir)
get_filename_component(libdir ${pcdir} DIRECTORY)

set(expected ${libdir}/libVORTAN.so.13 ${moved}/share/man/man1/vortan.1)
foreach(tool vortan zelto2edt)  # completions installed and readable by bash
  run(bash -n ${moved}/share/bash-completion/completions/${tool})
endforeach()

# The installed programs run from the moved tree and say the same versions.
run(env -u LD_LIBRARY_PATH ${moved}/bin/vortan --version)
if(NOT out MATCHES "^vortan \\(Zelto\\) ([0-9.]+)\nVORTAN library ([0-9.]+)$")
  message(FATAL_ERROR "vortan --version: ${out}")
endif()
set(package_version ${CMAKE_MATCH_1})
set(library_version ${CMAKE_MATCH_2})
foreach(tool zelto2edt ZeltoConverter)
  if(tool STREQUAL "ZeltoConverter" AND NOT EXISTS ${moved}/bin/${tool})
    continue()  # built where Qt 6 is; it answers without a display
  endif()
  list(APPEND expected ${moved}/share/man/man1/${tool}.1)
  run(env -u LD_LIBRARY_PATH -u DISPLAY -u WAYLAND_DISPLAY ${moved}/bin/${tool} --version)
  expect_equal("${tool} --version" "${out}" "${tool} (Zelto) ${package_version}\nVORTAN library ${library_version}")
endforeach()
foreach(f ${expected})
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

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
string(REGEX REPLACE "\\.0$" "" out "${out}")
expect_equal("vortan.pc Version" "${out}" "${library_version}")
run(${pkgenv} pkg-config --modversion zeltoqvxconverter)
expect_equal("zeltoqvxconverter.pc Version" "${out}" "${package_version}")
run(${pkgenv} pkg-config --cflags --libs zeltoqvxconverter)
if(NOT out MATCHES "-I${moved}/")
  message(FATAL_ERROR "pkg-config flags do not point into the moved tree: ${out}")
endif()
separate_arguments(flags UNIX_COMMAND "${out}")
run(${CXX} -std=c++17 ${SOURCE_DIR}/consumer/consumer.cpp ${flags} -Wl,-rpath,${libdir} -o ${pc}/cxx_consumer)
run(${pkgenv} pkg-config --cflags --libs vortan)
separate_arguments(flags UNIX_COMMAND "${out}")
run(${CC} -std=c11 ${SOURCE_DIR}/consumer/client.c -Wall -Wextra -Werror ${flags} -lm -Wl,-rpath,${libdir} -o ${pc}/c_consumer)

# Both consumers, both ways: the C client projects, the C++ one converts a
# copy of the harbour sample (its .EDT is written beside it).
set(examples ${SOURCE_DIR}/../../../examples)
foreach(dir ${cm} ${pc})
  run(env -u LD_LIBRARY_PATH ${dir}/c_consumer)
  file(COPY ${examples}/harbour_survey.csv DESTINATION ${dir})
  run(env -u LD_LIBRARY_PATH ${dir}/cxx_consumer ${dir}/harbour_survey.csv ${examples}/harbour_geodesy.ini)
  expect_equal("${dir}/cxx_consumer" "${out}" "records 300, library 1302")
  file(STRINGS ${dir}/harbour_survey.EDT record REGEX "^," LIMIT_COUNT 1)  # the first record, projected
  if(NOT record MATCHES "^,483210\\.14,3618955\\.33,09:30:00\\.000,")
    message(FATAL_ERROR "${dir}/harbour_survey.EDT: first record '${record}'")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
