kalido_add_test(LanguagesTest LABELS shell SOURCES ${CMAKE_CURRENT_LIST_DIR}/LanguagesTest.cpp LIBS kalido_shell)
