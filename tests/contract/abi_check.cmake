# Checks the interface headers against the Windows host without a Windows machine: clang compiles one call per
# operation of TABLE, and the library's export declarations, for Microsoft's C++ ABI (x86_64-pc-windows-msvc) and for
# the Itanium ABI of the Linux build, and the table index each call uses is read back from the IR.
#
# Microsoft's table has one entry for the virtual destructor and Itanium's two, so every later Itanium entry is one
# further on. Microsoft also puts the overloads of one name together in reverse order of declaration, so within such
# a group the Itanium order is the mirror of the table's.
#
# Run as: cmake -DCLANG=<clang++> -DSDK_INCLUDE=<dir> -DTABLE=<abi_table.txt> -DWORK_DIR=<dir>
#         -DEXPORTS=<a,b,c> -DEXPORT_SOURCES=<dir,dir> -P abi_check.cmake

cmake_minimum_required(VERSION 3.18)

foreach(variable CLANG SDK_INCLUDE TABLE WORK_DIR EXPORTS EXPORT_SOURCES)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

set(windows x86_64-pc-windows-msvc)
set(linux x86_64-linux-gnu)
set(failures "")

# ---------------------------------------------------------------------------------------------------------------------
# The table.

set(slot_count 0)
set(record_count 0)
file(STRINGS ${TABLE} table_lines)
foreach(line IN LISTS table_lines)
    if(line MATCHES "^slot ([A-Za-z0-9_:]+) ([A-Za-z0-9_]+)\\(([^)]*)\\) ([0-9]+)$")
        set(slot_interface_${slot_count} "${CMAKE_MATCH_1}")
        set(slot_method_${slot_count} "${CMAKE_MATCH_2}")
        set(slot_parameters_${slot_count} "${CMAKE_MATCH_3}")
        set(slot_windows_${slot_count} "${CMAKE_MATCH_4}")
        math(EXPR slot_count "${slot_count} + 1")
    elseif(line MATCHES "^record ([^ ]+)(.*)$")
        set(record_type_${record_count} "${CMAKE_MATCH_1}")
        string(STRIP "${CMAKE_MATCH_2}" members)
        string(REPLACE " " ";" members "${members}")
        set(record_members_${record_count} "${members}")
        math(EXPR record_count "${record_count} + 1")
    elseif(NOT line STREQUAL "" AND NOT line MATCHES "^#")
        message(FATAL_ERROR "${TABLE}: cannot read the line: ${line}")
    endif()
endforeach()

function(describe_slot index out)
    set(${out} "${slot_interface_${index}}::${slot_method_${index}}(${slot_parameters_${index}})" PARENT_SCOPE)
endfunction()

# The Itanium entry of each operation: one after Microsoft's, mirrored within a group of overloads.
math(EXPR last_slot "${slot_count} - 1")
foreach(index RANGE ${last_slot})
    set(group "")
    foreach(other RANGE ${last_slot})
        if(slot_interface_${other} STREQUAL slot_interface_${index} AND slot_method_${other} STREQUAL slot_method_${index})
            list(APPEND group ${slot_windows_${other}})
        endif()
    endforeach()
    list(SORT group COMPARE NATURAL)
    list(LENGTH group group_size)
    list(FIND group ${slot_windows_${index}} position)
    math(EXPR mirrored "${group_size} - 1 - ${position}")
    list(GET group ${mirrored} itanium)
    math(EXPR slot_linux_${index} "${itanium} + 1")
endforeach()

# ---------------------------------------------------------------------------------------------------------------------
# The export declarations, as the library's sources write them.

string(REPLACE "," ";" exports "${EXPORTS}")
string(REPLACE "," ";" export_sources "${EXPORT_SOURCES}")
set(declarations "")
foreach(directory IN LISTS export_sources)
    file(GLOB_RECURSE sources ${directory}/*.h ${directory}/*.cpp)
    foreach(source IN LISTS sources)
        file(READ ${source} text)
        string(REGEX MATCHALL "\nTESH_LIBRARY_EXPORT [^;{]*" found "${text}")
        list(APPEND declarations ${found})
    endforeach()
endforeach()
set(export_definitions "")
foreach(name IN LISTS exports)
    set(matching "")
    foreach(declaration IN LISTS declarations)
        if(declaration MATCHES "[ *&]${name}\\(")
            string(STRIP "${declaration}" declaration)
            list(APPEND matching "${declaration}")
        endif()
    endforeach()
    list(LENGTH matching found)
    if(NOT found EQUAL 1)
        list(APPEND failures "export ${name}: ${found} declarations with TESH_LIBRARY_EXPORT, expected 1")
    else()
        string(APPEND export_definitions "${matching}\n{\n    __builtin_trap();\n}\n")
    endif()
endforeach()

# ---------------------------------------------------------------------------------------------------------------------
# One translation unit: a call per operation, the layout of each record, a definition per export.

file(GLOB_RECURSE headers RELATIVE ${SDK_INCLUDE} ${SDK_INCLUDE}/*.h)
list(SORT headers)
set(source "// Written by abi_check.cmake.\n")
foreach(header IN LISTS headers)
    string(APPEND source "#include <${header}>\n")
endforeach()
string(APPEND source "\nusing namespace tesh::sdk;\nusing namespace tesh::sdk::analytics;\n\n")
string(APPEND source "template<class T>\nT argument();\n\n")
foreach(index RANGE ${last_slot})
    set(arguments "")
    string(REPLACE "," ";" parameters "${slot_parameters_${index}}")
    foreach(parameter IN LISTS parameters)
        list(APPEND arguments "argument<${parameter}>()")
    endforeach()
    string(REPLACE ";" ", " arguments "${arguments}")
    string(APPEND source "extern \"C\" void slot_${index}(${slot_interface_${index}}* object)\n"
        "{\n    (void) object->${slot_method_${index}}(${arguments});\n}\n")
endforeach()
math(EXPR last_record "${record_count} - 1")
foreach(index RANGE ${last_record})
    set(type "${record_type_${index}}")
    set(values "sizeof(${type}), alignof(${type})")
    foreach(member IN LISTS record_members_${index})
        string(APPEND values ", __builtin_offsetof(${type}, ${member})")
    endforeach()
    string(APPEND source "extern \"C\" const unsigned long long record_${index}[] = {${values}};\n")
endforeach()
string(APPEND source "\n${export_definitions}")

file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${WORK_DIR}/abi_calls.cpp "${source}")

# The C++ library headers of this machine, as clang finds them for Linux; the Windows target gets the same ones,
# since only the interface headers and the standard headers they include need to compile.
execute_process(COMMAND ${CLANG} --target=${linux} -std=c++17 -E -x c++ -v -o /dev/null /dev/null
    ERROR_VARIABLE search_output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${CLANG} cannot preprocess for ${linux}:\n${search_output}")
endif()
string(REGEX REPLACE ".*#include <...> search starts here:\n(.*)\nEnd of search list.*" "\\1" search "${search_output}")
string(REPLACE "\n" ";" search "${search}")
set(system_includes "")
foreach(directory IN LISTS search)
    string(STRIP "${directory}" directory)
    list(APPEND system_includes -isystem ${directory})
endforeach()

foreach(target windows linux)
    execute_process(
        COMMAND ${CLANG} --target=${${target}} -std=c++17 -O0 -S -emit-llvm -fno-discard-value-names
            -fvisibility=hidden -Wno-\#warnings -I${SDK_INCLUDE} ${system_includes}
            ${WORK_DIR}/abi_calls.cpp -o ${WORK_DIR}/abi_calls.${target}.ll
        ERROR_VARIABLE errors RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${CLANG} cannot compile ${WORK_DIR}/abi_calls.cpp for ${${target}}:\n${errors}")
    endif()
    file(READ ${WORK_DIR}/abi_calls.${target}.ll ir_${target})
endforeach()

# ---------------------------------------------------------------------------------------------------------------------
# Reading the IR back.

foreach(index RANGE ${last_slot})
    describe_slot(${index} operation)
    foreach(target windows linux)
        set(expected ${slot_${target}_${index}})
        if(ir_${target} MATCHES "@slot_${index}\\([^\n]*\n([^}]*)\n}")
            set(body "${CMAKE_MATCH_1}")
            if(body MATCHES "%vfn = getelementptr inbounds [^\n]*, i64 ([0-9]+)\n")
                set(found ${CMAKE_MATCH_1})
            else()
                set(found "no virtual call")
            endif()
        else()
            set(found "no function")
        endif()
        if(NOT found STREQUAL expected)
            list(APPEND failures "${operation} under ${${target}}: expected slot ${expected}, found ${found}")
        endif()
    endforeach()
endforeach()

foreach(index RANGE ${last_record})
    foreach(target windows linux)
        if(ir_${target} MATCHES "@record_${index} = [^\n]*\\[([^]]*)\\]")
            string(REGEX REPLACE "i64 " "" layout_${target} "${CMAKE_MATCH_1}")
        else()
            set(layout_${target} "not found")
        endif()
    endforeach()
    if(NOT layout_windows STREQUAL layout_linux)
        string(REPLACE ";" " " members "${record_members_${index}}")
        list(APPEND failures "${record_type_${index}}: size, alignment and offsets of ${members} are "
            "${layout_windows} under ${windows} but ${layout_linux} under ${linux}")
    endif()
endforeach()

# An extern "C" name is not mangled; Windows needs dllexport, Linux the default visibility under -fvisibility=hidden.
foreach(name IN LISTS exports)
    foreach(target windows linux)
        if(ir_${target} MATCHES "\ndefine ([^\n]*) @${name}\\(")
            set(attributes "${CMAKE_MATCH_1}")
            if(target STREQUAL "windows" AND NOT attributes MATCHES "dllexport")
                list(APPEND failures "export ${name}: not dllexport under ${windows}")
            elseif(target STREQUAL "linux" AND attributes MATCHES "hidden")
                list(APPEND failures "export ${name}: hidden under ${linux}")
            endif()
        elseif(export_definitions MATCHES "${name}\\(")
            list(APPEND failures "export ${name}: no unmangled (extern \"C\") definition under ${${target}}")
        endif()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "The interfaces do not match the host's ABI:\n  ${text}")
endif()
list(LENGTH exports export_count)
message(STATUS "${slot_count} operations in their slots and ${record_count} records laid out alike under "
    "${windows} and ${linux}; ${export_count} exports extern \"C\", dllexport and visible")
