# SQLite, compiled from the amalgamation that scripts/build-sqlite.sh makes from
# Debian's source package (once per build tree), into a static library of the
# program: Vorlane.exe stays one self-contained file.
# SQLITE_AMALGAMATION_DIR may name a folder that already holds sqlite3.c and
# sqlite3.h (a Windows build without bash, for instance).
set(SQLITE_AMALGAMATION_DIR "${CMAKE_BINARY_DIR}/sqlite/amalgamation" CACHE PATH
    "Folder holding sqlite3.c and sqlite3.h")
if(NOT EXISTS "${SQLITE_AMALGAMATION_DIR}/sqlite3.c")
  execute_process(
    COMMAND bash "${CMAKE_CURRENT_SOURCE_DIR}/scripts/build-sqlite.sh" "${CMAKE_BINARY_DIR}"
    RESULT_VARIABLE sqlite_result)
  if(NOT sqlite_result EQUAL 0 OR NOT EXISTS "${SQLITE_AMALGAMATION_DIR}/sqlite3.c")
    message(FATAL_ERROR "SQLite's amalgamation could not be made (scripts/build-sqlite.sh)")
  endif()
endif()

add_library(vorlane_sqlite STATIC "${SQLITE_AMALGAMATION_DIR}/sqlite3.c")
target_include_directories(vorlane_sqlite SYSTEM PUBLIC "${SQLITE_AMALGAMATION_DIR}")
target_compile_definitions(vorlane_sqlite PRIVATE
  SQLITE_THREADSAFE=1             # safe whichever thread opens a database
  SQLITE_DEFAULT_FOREIGN_KEYS=0
  SQLITE_DQS=0                    # double quotes are identifiers, never strings
  SQLITE_OMIT_LOAD_EXTENSION      # no code loaded from a database's say-so
  SQLITE_OMIT_DEPRECATED
  SQLITE_OMIT_SHARED_CACHE
  SQLITE_DEFAULT_MEMSTATUS=0
  SQLITE_LIKE_DOESNT_MATCH_BLOBS
  SQLITE_USE_ALLOCA)
# The amalgamation is third-party code: build it quietly and optimised.
target_compile_options(vorlane_sqlite PRIVATE "$<$<C_COMPILER_ID:GNU,Clang>:-w;-O2>")
