# zellik-render from the command line: same arguments, same bytes; --help;
# bad arguments. Run as: cmake -DRENDER=... -DWORK=... -P same_bytes.cmake
foreach(run a b)
  execute_process(COMMAND ${RENDER} --size 320x200 --frames 40 --seed 9 --out ${WORK}/same-${run}.png
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "render ${run} exited with ${status}")
  endif()
endforeach()
file(SHA256 ${WORK}/same-a.png first)
file(SHA256 ${WORK}/same-b.png second)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "the same arguments gave different pictures")
endif()

execute_process(COMMAND ${RENDER} --size 320x200 --frames 40 --seed 10 --out ${WORK}/same-c.png)
file(SHA256 ${WORK}/same-c.png third)
if(first STREQUAL third)
  message(FATAL_ERROR "another seed gave the same picture")
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
