# Steps shared by the zelto2edt scripts: a fresh work folder with copies of the
# inputs, and the .EDT file's line count against the records the summary names.

# Empties `work` and copies the files that follow into it.
function(zelto_fresh_work work)
  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work})
  file(COPY ${ARGN} DESTINATION ${work})
endfunction()

# Fails unless `edt` holds the 21 header lines and `records` record lines;
# sets `first_var` in the caller to the first record line.
function(zelto_expect_edt_records edt records first_var)
  file(STRINGS ${edt} lines)
  list(LENGTH lines n)
  math(EXPR expected "21 + ${records}")
  if(NOT n EQUAL expected)
    message(FATAL_ERROR "expected 21 header lines + ${records} records, got ${n}")
  endif()
  list(GET lines 21 first)
  set(${first_var} "${first}" PARENT_SCOPE)
endfunction()
