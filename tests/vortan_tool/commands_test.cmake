# Runs vortan commands on the harbour definition and checks their output.
function(run_vortan input expect_rc out_var err_var)
  file(WRITE ${WORK}/in.txt "${input}")
  execute_process(COMMAND ${VORTAN} --def ${DEF} ${ARGN}
                  INPUT_FILE ${WORK}/in.txt RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expect_rc)
    message(FATAL_ERROR "vortan ${ARGN}: exit ${rc}, expected ${expect_rc}\n${out}\n${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
endfunction()

function(expect text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "expected /${pattern}/ in:\n${text}")
  endif()
endfunction()

run_vortan("" 0 out err info)
expect("${out}" "projection: +TME \\(type 3\\)")
expect("${out}" "ellipsoid: +Clarke 1866")
expect("${out}" "dx dy dz \\(m\\): +8.000 -160.000 -176.000")

# Decimal and D M S degrees, a comma line, a bad line that does not stop the rest.
run_vortan("32.7157 -117.1611\n32°42′56.52″N 117°9′39.96″W\nabc 1\n32.7157,-117.1611\n" 1 out err fwd)
expect("${out}" "^484902.293 3619591.449\n484902.293 3619591.449\n484902.293 3619591.449\n$")
expect("${err}" "line 3: not a number: 'abc'")

run_vortan("500000 3600000\n" 0 out err --precision 2 inv)
expect("${out}" "^32.53906511 -117.00000000\n$")

run_vortan("32.7157 -117.1611 0\n" 0 out err to-project)
expect("${out}" "^32.715637097 -117.160245032 21.509\n$")

# Back by the approximate reverse: equal to the nanodegree.
run_vortan("32.715637097 -117.160245032 21.509\n" 0 out err --precision 1 to-wgs84)
expect("${out}" "^32.7157000 -117.1611000 0.0\n$")

run_vortan("32.7157 -117.1611\n" 0 out err ecef)
run_vortan("${out}" 0 out2 err --precision 1 geo)
expect("${out2}" "^32.7157000 -117.1611000 0.0\n$")

run_vortan("32 -117 33 -116\n" 0 out err gcirc)
expect("${out}" "^145356.512 40.0130")
run_vortan("32 -117 33 -116\n" 0 out err rhumb)
expect("${out}" "^145357.020 40.2799")
run_vortan("500000 3600000\n" 0 out err scale)
expect("${out}" "^0.9996000000\n$")

# The pole is a singularity of the projection: code and text, exit 1.
run_vortan("90 20\n" 1 out err fwd)
expect("${err}" "line 1: error 6: Singularity")

execute_process(COMMAND ${VORTAN} --def ${WORK}/absent.ini info RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "missing definition: exit ${rc}")
endif()
expect("${err}" "error 5: Invalid projection")
