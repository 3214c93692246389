# Shared helpers for the subsystem folders.

# The subsystems, lowest first. Each folder under src/, tests/, bench/ and fuzz/ that
# carries a CMakeLists.txt is added; dependencies only point to earlier entries.
set(KALIDO_SUBSYSTEMS util xml store files services shell project cmdline platform wizard player app)

function(kalido_add_subsystems)
  foreach(sub IN LISTS KALIDO_SUBSYSTEMS)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/CMakeLists.txt)
      add_subdirectory(${sub})
    endif()
  endforeach()
endfunction()

# kalido_add_test(<name> LABELS <label>... SOURCES <src>... LIBS <lib>... [TIMEOUT <s>])
# One test binary, one CTest entry, run on Qt's offscreen platform.
function(kalido_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "LABELS;SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE kalido_testsupport ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    LABELS "${T_LABELS}"
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${T_ENVIRONMENT}")
endfunction()
