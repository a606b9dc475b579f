# The Public Suffix List, compiled into the cleaning layer as a sorted table
# (cleaning/PublicSuffix.cpp): made at build time by
# scripts/make-suffix-table.py from Debian's publicsuffix package, or from the
# file PUBLIC_SUFFIX_LIST names (a Windows build: the list from
# publicsuffix.org). Python 3 makes it.
set(PUBLIC_SUFFIX_LIST "/usr/share/publicsuffix/public_suffix_list.dat" CACHE FILEPATH
    "The Public Suffix List (public_suffix_list.dat)")
if(NOT EXISTS "${PUBLIC_SUFFIX_LIST}")
  message(FATAL_ERROR "The Public Suffix List is missing: ${PUBLIC_SUFFIX_LIST} (Debian's publicsuffix package)")
endif()
find_program(VORLANE_PYTHON3 NAMES python3 python REQUIRED)
set(VORLANE_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
add_custom_command(
  OUTPUT "${VORLANE_GENERATED_DIR}/PublicSuffixTable.inc"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${VORLANE_GENERATED_DIR}"
  COMMAND "${VORLANE_PYTHON3}" "${CMAKE_CURRENT_SOURCE_DIR}/scripts/make-suffix-table.py"
          "${PUBLIC_SUFFIX_LIST}" "${VORLANE_GENERATED_DIR}/PublicSuffixTable.inc"
  DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/scripts/make-suffix-table.py" "${PUBLIC_SUFFIX_LIST}"
  COMMENT "Making the Public Suffix List's table")
target_sources(vorlane_cleaning PRIVATE "${VORLANE_GENERATED_DIR}/PublicSuffixTable.inc")
target_include_directories(vorlane_cleaning PRIVATE "${VORLANE_GENERATED_DIR}")
set_source_files_properties("${CMAKE_CURRENT_SOURCE_DIR}/cleaning/PublicSuffix.cpp" PROPERTIES OBJECT_DEPENDS
  "${VORLANE_GENERATED_DIR}/PublicSuffixTable.inc")
