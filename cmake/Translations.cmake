# Compiles the gettext catalogues po/<lang>/<domain>.po into
# <build>/locale/<lang>/LC_MESSAGES/<domain>.mo, checking format strings on the way.
include_guard(GLOBAL)

find_program(MSGFMT_EXECUTABLE msgfmt REQUIRED)

file(GLOB KALIDO_PO_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/*/*.po)
set(KALIDO_MO_FILES)
foreach(po IN LISTS KALIDO_PO_FILES)
  get_filename_component(domain ${po} NAME_WE)
  get_filename_component(langdir ${po} DIRECTORY)
  get_filename_component(lang ${langdir} NAME)
  set(mo ${CMAKE_BINARY_DIR}/locale/${lang}/LC_MESSAGES/${domain}.mo)
  add_custom_command(OUTPUT ${mo}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/locale/${lang}/LC_MESSAGES
    COMMAND ${MSGFMT_EXECUTABLE} --check-format -o ${mo} ${po}
    DEPENDS ${po}
    COMMENT "Compiling catalogue ${lang}/${domain}"
    VERBATIM)
  list(APPEND KALIDO_MO_FILES ${mo})
endforeach()
add_custom_target(kalido_translations ALL DEPENDS ${KALIDO_MO_FILES})
