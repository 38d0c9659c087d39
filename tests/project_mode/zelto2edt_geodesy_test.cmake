# zelto2edt with the harbour project's geodesy: every record of the sample
# converted, the first one where PROJ puts it (cct with cart WGS84, helmert
# +x=8 +y=-160 +z=-176 coordinate frame, inverse cart and tmerc on Clarke 1866,
# lon_0=-117 k=0.9996 x_0=500000: 483210.1371 3618955.3317), and a definition
# that cannot be opened stopping the run with the test-open message.
include(${CMAKE_CURRENT_LIST_DIR}/../zelto2edt/EdtFileChecks.cmake)
zelto_fresh_work(${WORK} ${SAMPLE} ${DEF})
get_filename_component(name ${SAMPLE} NAME_WE)
get_filename_component(def ${DEF} NAME)
execute_process(COMMAND ${TOOL} --quiet --geodesy ${def} ${name}.csv WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit status ${rc}, expected 0\n${out}\n${err}")
endif()
if(NOT out MATCHES "${name}.EDT  CSV Records: [0-9]+")
  message(FATAL_ERROR "summary line missing: ${out}")
endif()
string(REGEX MATCH "CSV Records: ([0-9]+)" _ "${out}")
set(records ${CMAKE_MATCH_1})
zelto_expect_edt_records(${WORK}/${name}.EDT ${records} first)
if(NOT first MATCHES "^,483210\\.14,3618955\\.33,")
  message(FATAL_ERROR "first record: ${first}")
endif()

execute_process(COMMAND ${TOOL} --quiet --geodesy missing.ini ${name}.csv WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "Trying to open file:missing.ini\nNo such file or directory")
  message(FATAL_ERROR "missing definition: exit ${rc}\n${out}\n${err}")
endif()
