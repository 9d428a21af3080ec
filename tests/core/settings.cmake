# Settings: lexer, console variables, command line. The catalogue has its own program because the
# other tests register variables of their own.
tov_test(core_settings_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/lexer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cvar_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_parser_test.cpp
  DEPS core)

tov_test(core_cvar_catalogue_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cvar_catalogue_test.cpp
  DEPS core)
