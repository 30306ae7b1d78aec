# One settings target shared by every library and executable of the project.
add_library(pk_settings INTERFACE)
target_compile_features(pk_settings INTERFACE cxx_std_20)
target_compile_options(pk_settings INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wcast-qual
  $<$<BOOL:${PK_WERROR}>:-Werror>
  # A unity build compiles the test files as included files, where GoogleTest's fixtures in an
  # unnamed namespace draw this warning; it says nothing about the code.
  $<$<BOOL:${CMAKE_UNITY_BUILD}>:-Wno-subobject-linkage>)
target_compile_definitions(pk_settings INTERFACE
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_ASCII
  QT_USE_QSTRINGBUILDER
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_DISABLE_DEPRECATED_BEFORE=0x060400)
target_include_directories(pk_settings INTERFACE ${PROJECT_SOURCE_DIR}/src
                                                 ${PROJECT_BINARY_DIR}/generated)

# The version number, from project(), for the code (PK_VERSION in pathkeepversion.h).
configure_file(${CMAKE_CURRENT_LIST_DIR}/pathkeepversion.h.in
               ${PROJECT_BINARY_DIR}/generated/pathkeepversion.h @ONLY)
