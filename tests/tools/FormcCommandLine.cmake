# Runs orvalis-formc the way a developer does and checks what it answers.
#   cmake -DFORMC=<program> -DCASE=<case> -DWORK=<scratch folder> [-DSOURCE=<form>] -P FormcCommandLine.cmake

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Runs the program with the arguments; fails unless it exits with `expected`.
# Leaves its standard output and error in `out` and `err`.
function(formc expected)
  execute_process(COMMAND "${FORMC}" ${ARGN}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
  if(NOT status STREQUAL "${expected}")
    message(FATAL_ERROR "orvalis-formc ${ARGN}: exit ${status}, expected ${expected}\n${output}${error}")
  endif()
  set(out "${output}" PARENT_SCOPE)
  set(err "${error}" PARENT_SCOPE)
endfunction()

function(expect_match text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "expected a match for '${pattern}' in:\n${text}")
  endif()
endfunction()

if(CASE MATCHES "^round_trip")
  # compile, print, compile the printed text: the same bytes.
  formc(0 compile "${SOURCE}" -o "${WORK}/first.tpf0")
  formc(0 print "${WORK}/first.tpf0")
  file(WRITE "${WORK}/printed.form" "${out}")
  formc(0 compile "${WORK}/printed.form" -o "${WORK}/second.tpf0")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/first.tpf0" "${WORK}/second.tpf0"
    RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "the printed form compiles to other bytes")
  endif()
  file(READ "${WORK}/first.tpf0" head LIMIT 4 HEX)
  expect_match("${head}" "^54504630$")
  formc(0 embed "${SOURCE}" -o "${WORK}/forms.cpp")
  file(READ "${WORK}/forms.cpp" generated)
  expect_match("${generated}" "RegisterResource\\(orvalis::ResourceType::RawData, \"TO[A-Z]+\", kForm0\\);")

elseif(CASE STREQUAL "syntax_error")
  file(WRITE "${WORK}/bad.form" "TA a {\n  Caption = \"open\n}\n")
  formc(1 compile "${WORK}/bad.form" -o "${WORK}/bad.tpf0")
  expect_match("${err}" "bad\\.form:2:13: error: unterminated text")
  if(EXISTS "${WORK}/bad.tpf0")
    message(FATAL_ERROR "a refused source left an output file")
  endif()
  formc(1 embed "${WORK}/bad.form" -o "${WORK}/forms.cpp")
  expect_match("${err}" "bad\\.form:2:13: error: unterminated text")

elseif(CASE STREQUAL "malformed_data")
  string(ASCII 8 eight)
  string(ASCII 7 seven)
  file(WRITE "${WORK}/cut.tpf0" "TPF0${eight}TOptions${seven}Opt")
  formc(1 print "${WORK}/cut.tpf0")
  expect_match("${err}" "cut\\.tpf0: malformed form data at byte 14: a component name of 7 bytes runs past the end")
  if(NOT out STREQUAL "")
    message(FATAL_ERROR "malformed data printed something:\n${out}")
  endif()
  formc(1 print "${WORK}/missing.tpf0")
  expect_match("${err}" "^orvalis-formc: .*missing\\.tpf0")

elseif(CASE STREQUAL "usage")
  formc(2)
  expect_match("${err}" "usage: orvalis-formc compile")
  formc(2 compile "${WORK}/a.form")
  formc(2 print)
  formc(2 print a.tpf0 -o b.txt)
  formc(2 embed -o "${WORK}/forms.cpp")
  formc(2 translate a.form)

else()
  message(FATAL_ERROR "unknown case ${CASE}")
endif()
