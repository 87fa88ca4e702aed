# zellik-render from the command line: the same arguments give the same bytes
# and another seed another picture; --help; bad arguments; an unwritable
# output. Run as: cmake -DRENDER=... -DWORK=... -P same_bytes.cmake
foreach(seed 9 9 10)
  execute_process(COMMAND ${RENDER} --size 320x200 --frames 40 --seed ${seed} --out ${WORK}/same-${seed}.png
                  RESULT_VARIABLE status)
  file(SHA256 ${WORK}/same-${seed}.png sum)
  list(APPEND runs "${status} ${sum}")
endforeach()
list(GET runs 0 first)
list(GET runs 1 again)
list(GET runs 2 other)
if(NOT first MATCHES "^0 " OR NOT other MATCHES "^0 " OR NOT first STREQUAL again OR first STREQUAL other)
  message(FATAL_ERROR "seeds 9, 9 and 10 gave (status, picture digest) ${runs}")
endif()

execute_process(COMMAND ${RENDER} --help OUTPUT_VARIABLE usage RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT usage MATCHES "--seed")
  message(FATAL_ERROR "--help: status ${status}")
endif()
foreach(bad "--frames;0" "--size;12" "--mirrors;maybe" "--bogus" "--every;3")
  execute_process(COMMAND ${RENDER} ${bad} RESULT_VARIABLE status ERROR_VARIABLE said)
  if(NOT status EQUAL 2 OR NOT said MATCHES "zellik-render: ")
    message(FATAL_ERROR "'${bad}' gave status ${status}: ${said}")
  endif()
endforeach()

execute_process(COMMAND ${RENDER} --size 64x64 --frames 3 --out /nonexistent-dir/x.png
                RESULT_VARIABLE status ERROR_VARIABLE said)
if(status EQUAL 0 OR NOT said MATCHES "cannot write")
  message(FATAL_ERROR "an unwritable output was not reported: ${status} ${said}")
endif()
