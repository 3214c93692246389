# Interface languages, part of kalido_shell; the catalogues under po/ are compiled with the build.
find_package(Boost 1.74 REQUIRED COMPONENTS locale)
include(${PROJECT_SOURCE_DIR}/cmake/Translations.cmake)

target_sources(kalido_shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Languages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Languages.h)
target_link_libraries(kalido_shell PUBLIC Qt6::Widgets Boost::locale)
add_dependencies(kalido_shell kalido_translations)
