# Batch conversion on worker threads leaves exactly what a serial run leaves:
# the same .EDT bytes, the same summary lines in input order, the same
# messages and exit status, with a failing file in the middle of the batch.
file(REMOVE_RECURSE ${WORK})
file(READ ${SAMPLE} text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REGEX MATCHALL "[^\n]*\n" lines "${text}")
list(LENGTH lines total)

# Seven surveys of different lengths (a title line, then 1 to 300 records) so
# that a summary or a file handed to the wrong name shows.
set(names)
foreach(keep 301 2 151 76 301 31 201)
  math(EXPR last "${keep} - 1")
  list(SUBLIST lines 0 ${keep} part)
  string(REPLACE ";" "" part "${part}")
  list(LENGTH names k)
  list(APPEND names "s${k}_${keep}.csv")
  foreach(dir serial parallel)
    file(WRITE ${WORK}/${dir}/s${k}_${keep}.csv "${part}")
  endforeach()
endforeach()
# A file that cannot be opened, between the others.
list(INSERT names 3 "absent.csv")

set(outputs)
foreach(dir serial parallel)
  if(dir STREQUAL "serial")
    set(jobs)
  else()
    set(jobs -j 4)
  endif()
  execute_process(COMMAND ${TOOL} --quiet ${jobs} ${names}
                  WORKING_DIRECTORY ${WORK}/${dir}
                  RESULT_VARIABLE rc_${dir} OUTPUT_VARIABLE out_${dir} ERROR_VARIABLE err_${dir})
endforeach()

if(NOT rc_serial EQUAL 1 OR NOT rc_parallel EQUAL 1)
  message(FATAL_ERROR "exit status serial ${rc_serial}, parallel ${rc_parallel}; expected 1 and 1")
endif()
if(NOT out_serial STREQUAL out_parallel)
  message(FATAL_ERROR "summaries differ\nserial:\n${out_serial}\nparallel:\n${out_parallel}")
endif()
if(NOT err_serial STREQUAL err_parallel)
  message(FATAL_ERROR "messages differ\nserial:\n${err_serial}\nparallel:\n${err_parallel}")
endif()
# The file that failed gets its error and no summary line.
set(expected "s0_301.EDT  CSV Records: 300\ns1_2.EDT  CSV Records: 1\ns2_151.EDT  CSV Records: 150\n"
             "s3_76.EDT  CSV Records: 75\ns4_301.EDT  CSV Records: 300\n"
             "s5_31.EDT  CSV Records: 30\ns6_201.EDT  CSV Records: 200\n")
string(REPLACE ";" "" expected "${expected}")
if(NOT out_parallel STREQUAL expected)
  message(FATAL_ERROR "summary lines or their order:\n${out_parallel}")
endif()
if(NOT err_parallel STREQUAL "zelto2edt: absent.csv: Failed to open CSV file. absent.csv: No such file or directory\n")
  message(FATAL_ERROR "the failing file's message: ${err_parallel}")
endif()
foreach(name IN LISTS names)
  string(REGEX REPLACE "\\.csv$" ".EDT" edt "${name}")
  if(name STREQUAL "absent.csv")
    if(EXISTS ${WORK}/parallel/${edt})
      message(FATAL_ERROR "${edt} created for a file that does not exist")
    endif()
    continue()
  endif()
  file(SHA256 ${WORK}/serial/${edt} a)
  file(SHA256 ${WORK}/parallel/${edt} b)
  if(NOT a STREQUAL b)
    message(FATAL_ERROR "${edt} differs between the serial and the parallel run")
  endif()
endforeach()

# Names that meet on disk keep their input order: a long survey and then a
# short one written to the same .EDT name, and the short one named twice. The
# last one named wins, as in a serial run.
file(MAKE_DIRECTORY ${WORK}/same)
list(SUBLIST lines 0 11 ten)
string(REPLACE ";" "" ten "${ten}")
list(SUBLIST lines 1 -1 records)
string(REPLACE ";" "" records "${records}")
list(GET lines 0 title)
set(long "${title}")
foreach(i RANGE 1 20)
  string(APPEND long "${records}")
endforeach()
file(WRITE ${WORK}/same/a.txt "${long}")
file(WRITE ${WORK}/same/a.csv "${ten}")
file(WRITE ${WORK}/same/b.csv "${ten}")
execute_process(COMMAND ${TOOL} --quiet -j 3 a.txt b.csv a.csv ./a.csv
                WORKING_DIRECTORY ${WORK}/same RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "a.EDT  CSV Records: 6000\nb.EDT  CSV Records: 10\na.EDT  CSV Records: 10\na.EDT  CSV Records: 10\n")
  message(FATAL_ERROR "shared output name: ${rc}\n${out}")
endif()
file(READ ${WORK}/same/a.EDT a)
file(READ ${WORK}/same/b.EDT b)
if(NOT a STREQUAL b)
  message(FATAL_ERROR "a.EDT is not the short survey that was named last")
endif()

# A geodesy definition that cannot be opened stops the run before any file,
# with the same message and status on worker threads as without them.
foreach(jobs "-j1" "-j2")
  execute_process(COMMAND ${TOOL} --quiet ${jobs} --geodesy ${WORK}/none.ini b.csv a.csv
                  WORKING_DIRECTORY ${WORK}/same RESULT_VARIABLE rc_${jobs}
                  OUTPUT_VARIABLE out_${jobs} ERROR_VARIABLE err_${jobs})
endforeach()
if(NOT rc_-j1 EQUAL 1 OR NOT rc_-j2 EQUAL 1 OR NOT out_-j2 STREQUAL "" OR NOT err_-j1 STREQUAL err_-j2
   OR NOT err_-j2 MATCHES "none.ini")
  message(FATAL_ERROR "unusable geodesy file: ${rc_-j1} ${rc_-j2}\n${out_-j2}\n${err_-j1}\n${err_-j2}")
endif()
