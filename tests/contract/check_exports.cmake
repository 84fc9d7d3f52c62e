# Fails unless the dynamic symbols that LIBRARY defines are exactly EXPECTED (a comma-separated list).
# Run as: cmake -DNM=<nm> -DLIBRARY=<path> -DEXPECTED=<a,b,c> -P check_exports.cmake

foreach(variable NM LIBRARY EXPECTED)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

execute_process(
    COMMAND ${NM} -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE listing
    ERROR_VARIABLE errors
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${LIBRARY}: ${errors}")
endif()

# Each line is "<address> <type> <name>[@version]"; the name is what the host looks up.
set(defined "")
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
    if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ @]+)")
        list(APPEND defined "${CMAKE_MATCH_1}")
    endif()
endforeach()
list(SORT defined)
list(REMOVE_DUPLICATES defined)

string(REPLACE "," ";" expected "${EXPECTED}")
list(SORT expected)

if(NOT defined STREQUAL expected)
    set(missing ${expected})
    list(REMOVE_ITEM missing ${defined})
    set(unexpected ${defined})
    list(REMOVE_ITEM unexpected ${expected})
    message(FATAL_ERROR "Dynamic symbols of ${LIBRARY} differ from the expected exports.\n"
        "  missing: ${missing}\n  unexpected: ${unexpected}")
endif()
message(STATUS "Exactly the expected exports: ${defined}")
