# The sma tool end to end: a folder tree of mixed sizes (a compressible file, an empty file, a
# non-ASCII name) is built into each archive kind, listed, extracted, and compared byte for byte.
# Run as: cmake -DSMA=<tool> -DWORK=<folder> -P sma_tool_test.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/src/sub")
string(REPEAT "abcdefgh" 1000 big)
file(WRITE "${WORK}/src/a.txt" "hello")
file(WRITE "${WORK}/src/sub/big.txt" "${big}")
file(WRITE "${WORK}/src/sub/Äpfel.txt" "noise 1234567890")
file(WRITE "${WORK}/src/empty" "")
set(names a.txt empty sub/big.txt sub/Äpfel.txt)

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}): ${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

foreach(kind sma1 sma2)
  run("${SMA}" build ${kind} ${kind}.sma src)
  run("${SMA}" list ${kind}.sma)
  foreach(name a.txt empty sub\\big.txt sub\\Äpfel.txt)
    string(FIND "${out}" "${name}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${kind}: ${name} not listed:\n${out}")
    endif()
  endforeach()
  if(kind STREQUAL "sma2" AND NOT out MATCHES "packed  sub\\\\big.txt")
    message(FATAL_ERROR "sma2: the compressible file is not packed:\n${out}")
  endif()
  if(NOT out MATCHES "stored  a.txt")
    message(FATAL_ERROR "${kind}: a.txt is not stored:\n${out}")
  endif()
  run("${SMA}" extract ${kind}.sma out_${kind})
  foreach(name IN LISTS names)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/src/${name}" "${WORK}/out_${kind}/${name}"
                    RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
      message(FATAL_ERROR "${kind}: ${name} does not come back identical")
    endif()
  endforeach()
endforeach()

# A file that is no archive is refused.
file(WRITE "${WORK}/bogus.sma" "not an archive")
execute_process(COMMAND "${SMA}" list bogus.sma WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc
                OUTPUT_QUIET ERROR_QUIET)
if(rc EQUAL 0)
  message(FATAL_ERROR "a bogus archive was listed")
endif()
file(REMOVE_RECURSE "${WORK}")
