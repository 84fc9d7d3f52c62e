# Runs the generator and compares its output with the checked-in scene.
execute_process(COMMAND ${GENERATOR} ${GENERATED} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "generate_scene failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${GENERATED} ${CHECKED_IN} RESULT_VARIABLE different)
if(different)
    message(FATAL_ERROR "samples/street_scene.xml differs from what generate_scene writes; regenerate it with "
        "build/samples/generate_scene samples/street_scene.xml")
endif()
