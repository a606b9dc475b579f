# nlohmann/json, header-only, from Debian's nlohmann-json3-dev. Its headers sit
# in /usr/include beside the Linux C library's, which the cross compiler must
# never see: only the nlohmann folder is copied into the build tree and put on
# the include path.
set(NLOHMANN_JSON_DIR "/usr/include/nlohmann" CACHE PATH "Folder holding nlohmann/json.hpp")
if(NOT EXISTS "${NLOHMANN_JSON_DIR}/json.hpp")
  message(FATAL_ERROR "nlohmann/json.hpp not found in ${NLOHMANN_JSON_DIR} (scripts/install-deps.sh)")
endif()
file(COPY "${NLOHMANN_JSON_DIR}" DESTINATION "${CMAKE_BINARY_DIR}/nlohmann-json/include")
add_library(vorlane_json INTERFACE)
target_include_directories(vorlane_json SYSTEM INTERFACE "${CMAKE_BINARY_DIR}/nlohmann-json/include")
