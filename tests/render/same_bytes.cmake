# zellik-render from the command line: the same arguments give the same bytes
# (the references hold other seeds to other pictures); --help; bad arguments;
# an unwritable output. Run as: cmake -DRENDER=... -DWORK=... -P same_bytes.cmake
foreach(run 1 2)
  execute_process(COMMAND ${RENDER} --size 320x200 --frames 40 --seed 9 --out ${WORK}/same-${run}.png)
  file(SHA256 ${WORK}/same-${run}.png sum${run})
endforeach()
if(NOT sum1 STREQUAL sum2)
  message(FATAL_ERROR "seed 9 twice gave two pictures")
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
