# LevelDB with snappy compression, the format of Chromium's Local Storage and
# Session Storage, compiled from the sources that scripts/build-leveldb.sh
# unpacks from Debian's source packages (once per build tree) into static
# libraries of the program: Vorlane.exe stays one self-contained file.
# LEVELDB_SOURCE_DIR and SNAPPY_SOURCE_DIR may name folders that already hold
# the unpacked sources (a Windows build without bash, for instance).
set(LEVELDB_SOURCE_DIR "${CMAKE_BINARY_DIR}/leveldb/leveldb" CACHE PATH "LevelDB's source folder")
set(SNAPPY_SOURCE_DIR "${CMAKE_BINARY_DIR}/leveldb/snappy" CACHE PATH "snappy's source folder")
if(NOT EXISTS "${LEVELDB_SOURCE_DIR}/db/db_impl.cc" OR NOT EXISTS "${SNAPPY_SOURCE_DIR}/snappy.cc")
  execute_process(
    COMMAND bash "${CMAKE_CURRENT_SOURCE_DIR}/scripts/build-leveldb.sh" "${CMAKE_BINARY_DIR}"
    RESULT_VARIABLE leveldb_result)
  if(NOT leveldb_result EQUAL 0 OR NOT EXISTS "${LEVELDB_SOURCE_DIR}/db/db_impl.cc")
    message(FATAL_ERROR "LevelDB's and snappy's sources could not be unpacked (scripts/build-leveldb.sh)")
  endif()
endif()

# snappy's two generated headers, made from its own templates as its CMake
# project would for a little-endian Windows target without SSSE3 or BMI2 (the
# program runs on any x86).
function(vorlane_snappy_headers out)
  file(STRINGS "${SNAPPY_SOURCE_DIR}/CMakeLists.txt" project_line REGEX "^project\\(Snappy VERSION ")
  string(REGEX MATCH "([0-9]+)\\.([0-9]+)\\.([0-9]+)" version "${project_line}")
  set(PROJECT_VERSION_MAJOR ${CMAKE_MATCH_1})
  set(PROJECT_VERSION_MINOR ${CMAKE_MATCH_2})
  set(PROJECT_VERSION_PATCH ${CMAKE_MATCH_3})
  set(HAVE_SYS_UIO_H_01 0)
  set(HAVE_WINDOWS_H 1)
  set(SNAPPY_HAVE_SSSE3 0)
  set(SNAPPY_HAVE_BMI2 0)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    set(HAVE_BUILTIN_EXPECT 1)
    set(HAVE_BUILTIN_CTZ 1)
    set(HAVE_ATTRIBUTE_ALWAYS_INLINE 1)
  endif()
  configure_file("${SNAPPY_SOURCE_DIR}/snappy-stubs-public.h.in" "${out}/snappy-stubs-public.h")
  configure_file("${SNAPPY_SOURCE_DIR}/cmake/config.h.in" "${out}/config.h")
endfunction()
set(snappy_generated "${CMAKE_BINARY_DIR}/leveldb/generated")
vorlane_snappy_headers("${snappy_generated}")

add_library(vorlane_snappy STATIC
  "${SNAPPY_SOURCE_DIR}/snappy.cc"
  "${SNAPPY_SOURCE_DIR}/snappy-sinksource.cc"
  "${SNAPPY_SOURCE_DIR}/snappy-stubs-internal.cc")
target_include_directories(vorlane_snappy SYSTEM PUBLIC "${SNAPPY_SOURCE_DIR}" "${snappy_generated}")
target_compile_definitions(vorlane_snappy PRIVATE HAVE_CONFIG_H)

set(leveldb_sources
  db/builder.cc db/db_impl.cc db/db_iter.cc db/dbformat.cc db/filename.cc db/log_reader.cc
  db/log_writer.cc db/memtable.cc db/table_cache.cc db/version_edit.cc db/version_set.cc
  db/write_batch.cc
  table/block.cc table/block_builder.cc table/filter_block.cc table/format.cc table/iterator.cc
  table/merger.cc table/table.cc table/table_builder.cc table/two_level_iterator.cc
  util/arena.cc util/bloom.cc util/cache.cc util/coding.cc util/comparator.cc util/crc32c.cc
  util/env.cc util/env_windows.cc util/filter_policy.cc util/hash.cc util/logging.cc
  util/options.cc util/status.cc)
list(TRANSFORM leveldb_sources PREPEND "${LEVELDB_SOURCE_DIR}/")
add_library(vorlane_leveldb STATIC ${leveldb_sources})
target_include_directories(vorlane_leveldb SYSTEM PUBLIC "${LEVELDB_SOURCE_DIR}/include")
target_include_directories(vorlane_leveldb PRIVATE "${LEVELDB_SOURCE_DIR}")
# The settings LevelDB's port_config.h would carry, without generating it.
set(LEVELDB_PORT_DEFINITIONS
  LEVELDB_PLATFORM_WINDOWS=1
  LEVELDB_IS_BIG_ENDIAN=0
  LEVELDB_HAS_PORT_CONFIG_H=0
  HAVE_SNAPPY=1
  HAVE_CRC32C=0)
target_compile_definitions(vorlane_leveldb PRIVATE ${LEVELDB_PORT_DEFINITIONS})
target_link_libraries(vorlane_leveldb PRIVATE vorlane_snappy)

# Third-party code: built quietly and optimised, as C++17 (LevelDB's
# std::memory_order::memory_order_relaxed, in its assertions, is not C++20).
foreach(library vorlane_snappy vorlane_leveldb)
  target_compile_options(${library} PRIVATE "$<$<CXX_COMPILER_ID:GNU,Clang>:-w;-O2>")
  set_target_properties(${library} PROPERTIES CXX_STANDARD 17)
endforeach()
