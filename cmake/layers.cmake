# The library's own code is held to more than -Wall -Wextra: silent narrowing and sign changes are how a camera's
# odd number becomes a wrong box, and a shadowed name or a C cast hides what a line really does.
set(QV_LIBRARY_WARNINGS)
if(NOT MSVC)
    set(QV_LIBRARY_WARNINGS -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast)
endif()

# qv_add_layer(NAME ROOT DIR [PUBLIC deps...] [PRIVATE deps...]): a static library of every source under the layer's
# include root DIR, which is the only include directory it gives its users.
function(qv_add_layer name)
    cmake_parse_arguments(LAYER "" "ROOT" "PUBLIC;PRIVATE" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${LAYER_ROOT}/*.cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${LAYER_ROOT})
    target_link_libraries(${name} PUBLIC ${LAYER_PUBLIC} PRIVATE ${LAYER_PRIVATE})
    target_compile_options(${name} PRIVATE ${QV_LIBRARY_WARNINGS})
endfunction()
