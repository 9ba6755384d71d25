# Script mode (cmake -P): writes sample data and the system gzip's forms of it
# into OUT: text.txt and binary.bin, each at levels 1, 6 and 9, and
# multi.gz, two members (text at level 1, then binary at level 9).
file(MAKE_DIRECTORY "${OUT}")
set(text "")
foreach(i RANGE 600)
  # Runs of fresh noise between repeated phrases.
  string(RANDOM LENGTH 200 ALPHABET "abcdefghijklmnopqrstuvwxyz0123456789 .,;:" RANDOM_SEED ${i} noise)
  string(APPEND text "${i}: the quick brown fox jumps over the lazy dog; ${noise}\n")
endforeach()
file(WRITE "${OUT}/text.txt" "${text}")

function(_compress input level output)
  execute_process(COMMAND "${GZIP}" -c -n -${level} "${input}" OUTPUT_FILE "${output}" RESULT_VARIABLE result)
  if(result)
    message(FATAL_ERROR "gzip failed on ${input}")
  endif()
endfunction()

# Compressed text is as close to random bytes as deflate gets.
_compress("${OUT}/text.txt" 6 "${OUT}/binary.bin")
foreach(level 1 6 9)
  _compress("${OUT}/text.txt" ${level} "${OUT}/text.txt.${level}.gz")
  _compress("${OUT}/binary.bin" ${level} "${OUT}/binary.bin.${level}.gz")
endforeach()
execute_process(COMMAND "${CMAKE_COMMAND}" -E cat "${OUT}/text.txt.1.gz" "${OUT}/binary.bin.9.gz"
                OUTPUT_FILE "${OUT}/multi.gz" RESULT_VARIABLE result)
if(result)
  message(FATAL_ERROR "cannot join the gzip members")
endif()
