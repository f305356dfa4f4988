# Settings every target of the project shares.

# Warnings at this level, and as errors where KALVOR_WARNINGS_AS_ERRORS asks.
function(kalvor_defaults target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${KALVOR_WARNINGS_AS_ERRORS}>:/WX>)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                               $<$<BOOL:${KALVOR_WARNINGS_AS_ERRORS}>:-Werror>)
    endif()
endfunction()

# A static library of the project:
#   kalvor_library(name [QT] SOURCES ... [PUBLIC libs...] [PRIVATE libs...])
# QT turns on moc for the library's QObject classes.
function(kalvor_library name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
    kalvor_defaults(${name})
endfunction()
