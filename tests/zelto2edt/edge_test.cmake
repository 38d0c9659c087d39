# zelto2edt at the edges: an input that would be its own output, output names
# beside the input, positions that are no place on Earth, blank lines, empty and
# unopenable inputs, a missing definition file and a survey over two UTM zones.
# Each case: the arguments, the exit status, what standard output and standard
# error must match, and the files the folder must then hold (never a temporary).
include(${CMAKE_CURRENT_LIST_DIR}/EdtFileChecks.cmake)
zelto_fresh_work(${WORK} ${SAMPLE})
file(READ ${SAMPLE} text)
string(REGEX MATCHALL "[^\n]*\n" lines "${text}")
list(GET lines 0 title)
list(GET lines 1 rec)
list(GET lines 2 rec2)

# A record whose latitude has 99 minutes, and one whose longitude is infinite.
string(REGEX REPLACE "N 32[^,]*," "X 99°99′96.29″," bad_lat "${rec}")
string(REGEX REPLACE "W 117[^,]*," "Einf°," bad_lon "${rec}")
# The same record 4 degrees further east: the next UTM zone.
string(REGEX REPLACE "W 117" "W 113" east "${rec2}")

file(WRITE ${WORK}/same.EDT "${title}${rec}")
file(MAKE_DIRECTORY ${WORK}/data.old ${WORK}/x ${WORK}/folder.csv)
file(WRITE ${WORK}/data.EDT "unrelated")
file(WRITE ${WORK}/data.old/survey "${title}${rec}")
file(WRITE ${WORK}/x/survey "${title}${rec}")
file(WRITE ${WORK}/bad.csv "${title}${rec}${bad_lat} , ,\n${bad_lon}${rec2}")
file(WRITE ${WORK}/empty.csv "")
file(WRITE ${WORK}/zones.csv "${title}${rec}${east}")
file(WRITE ${WORK}/zones.EDT "earlier")

# name | arguments (comma-separated) | exit status | stdout regex | stderr regex (a
# semicolon would split the list: matched by a full stop)
set(cases
  "self|same.EDT|1|^$|^zelto2edt: same.EDT: Failed to open Bramix file. same.EDT: the output would replace its own input\n$"
  "names|data.old/survey,x/survey|0|^survey.EDT  CSV Records: 1\nsurvey.EDT  CSV Records: 1\n$|^$"
  "positions|bad.csv|1|^bad.EDT  CSV Records: 4, 1 blank line\\(s\\) skipped\n$|^zelto2edt: bad.csv: Invalid position. bad.csv line 3: X 99°99′96.29″, W 117[^\n]*\nzelto2edt: bad.csv: Invalid position. bad.csv line 5: N 32[^\n]*, Einf°\n$"
  "empty|empty.csv|1|^$|^zelto2edt: empty.csv: Failed to parse CSV file. empty.csv: the file is empty\n$"
  "folder|folder.csv|1|^$|^zelto2edt: folder.csv: Failed to open CSV file. folder.csv: Is a directory\n$"
  "definition|--geodesy,none.ini,bad.csv|1|^$|^zelto2edt: none.ini: Trying to open file:none.ini\nNo such file or directory\n$"
  "zones|zones.csv|0|^zones.EDT  CSV Records: 2\n$|^zelto2edt: zones.csv: Warning: the records fall in UTM zones 11, 12. the zone first changes at zones.csv line 3. Each record is in the grid of its own zone. a project geodesy definition gives one fixed grid.\n$"
)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 name)
  list(GET parts 1 args)
  string(REPLACE "," ";" args "${args}")
  list(GET parts 2 want_rc)
  list(GET parts 3 want_out)
  list(GET parts 4 want_err)
  execute_process(COMMAND ${TOOL} --quiet ${args} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL want_rc OR NOT out MATCHES "${want_out}" OR NOT err MATCHES "${want_err}")
    message(FATAL_ERROR "${name}: exit ${rc} (want ${want_rc})\nstdout: ${out}\nstderr: ${err}")
  endif()
endforeach()

file(READ ${WORK}/same.EDT same)
if(NOT same STREQUAL "${title}${rec}")
  message(FATAL_ERROR "the input named same.EDT was changed")
endif()
file(READ ${WORK}/data.EDT data)
if(NOT data STREQUAL "unrelated")
  message(FATAL_ERROR "data.EDT one folder up was replaced")
endif()
foreach(edt data.old/survey.EDT x/survey.EDT)
  zelto_expect_edt_records(${WORK}/${edt} 1 first)
endforeach()
# The invalid positions are records with empty easting and northing.
zelto_expect_edt_records(${WORK}/bad.EDT 4 first)
file(STRINGS ${WORK}/bad.EDT bad_lines)
list(GET bad_lines 22 second)
if(NOT second MATCHES "^,,,09:30:00\\.000,")
  message(FATAL_ERROR "invalid position written as: ${second}")
endif()
zelto_expect_edt_records(${WORK}/zones.EDT 2 first)
foreach(absent empty.EDT folder.EDT .EDT)
  if(EXISTS ${WORK}/${absent})
    message(FATAL_ERROR "${absent} left behind")
  endif()
endforeach()
file(GLOB_RECURSE temps LIST_DIRECTORIES false ${WORK}/.*.EDT.*)
if(temps)
  message(FATAL_ERROR "temporary files left: ${temps}")
endif()

# SIGINT and SIGTERM while a large survey converts: the program ends with 130 and
# 143, the existing .EDT is left as it was and no temporary stays behind.
list(SUBLIST lines 1 -1 records)
string(REPLACE ";" "" records "${records}")
string(REPEAT "${records}" 2000 many)
file(WRITE ${WORK}/big.csv "${title}${many}")
# With -j 2 two temporaries are open at once: both go.
file(CREATE_LINK ${WORK}/big.csv ${WORK}/big2.csv)
foreach(sig INT TERM)
  if(sig STREQUAL "INT")
    set(want 130)
    set(args "big.csv")
  else()
    set(want 143)
    set(args "-j 2 big.csv big2.csv")
  endif()
  file(WRITE ${WORK}/big.EDT "the earlier conversion")
  file(WRITE ${WORK}/big2.EDT "the earlier conversion")
  # Signalled once a temporary exists: the conversion is under way.
  execute_process(COMMAND sh -c "
      ${TOOL} --quiet ${args} & pid=$!
      n=0
      while [ -z \"$(ls -A . | grep '^\\.big\\.EDT\\.')\" ] && [ $n -lt 5000 ]; do sleep 0.002; n=$((n+1)); done
      kill -${sig} $pid
      wait $pid
      echo $?"
    WORKING_DIRECTORY ${WORK} OUTPUT_VARIABLE status ERROR_VARIABLE err)
  string(STRIP "${status}" status)
  if(NOT status STREQUAL want)
    message(FATAL_ERROR "SIG${sig}: exit ${status}, want ${want}\n${err}")
  endif()
  foreach(edt big.EDT big2.EDT)
    file(READ ${WORK}/${edt} kept)
    if(NOT kept STREQUAL "the earlier conversion")
      message(FATAL_ERROR "SIG${sig} replaced the existing ${edt}")
    endif()
  endforeach()
  file(GLOB temps LIST_DIRECTORIES false ${WORK}/.*.EDT.*)
  if(temps)
    message(FATAL_ERROR "SIG${sig} left temporary files: ${temps}")
  endif()
endforeach()
file(REMOVE ${WORK}/big.csv ${WORK}/big2.csv)
