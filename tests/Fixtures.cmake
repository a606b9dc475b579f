# Setup steps that run on the Linux side before the test programs that need them.

# Directory links in the test prefix's drive C (see scripts/plant-links.sh for
# the layout). Wine programs cannot create links, so a shell script plants them.
add_test(NAME plant_links
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/plant-links.sh ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(plant_links PROPERTIES FIXTURES_SETUP links)

# A drive letter and a file link for the IE folder cleaners (see the script).
add_test(NAME plant_cleaner_fixtures
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/plant-cleaner-fixtures.sh ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(plant_cleaner_fixtures PROPERTIES FIXTURES_SETUP cleaner)
set(VORLANE_TEST_FIXTURES_cleaning links cleaner)
set(VORLANE_TEST_FIXTURES_app cleaner)
set(VORLANE_TEST_FIXTURES_chromium cleaner)
set(VORLANE_TEST_FIXTURES_firefox links)
set(VORLANE_TEST_FIXTURES_database cleaner)
include(${CMAKE_CURRENT_LIST_DIR}/firefox/Profile.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/chromium/Profile.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/support/Profiles.cmake)

# The test prefixes are sandboxes (see scripts/make-prefix.sh): no way out to the
# Linux files, no crash debugger, URLs recorded. Checked from the Linux side, and
# by a crash and a URL opening inside the build tree's prefix.
add_executable(vorlane_null_deref tests/sandbox/NullDeref.cpp)
add_test(NAME sandbox
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/check-sandbox.sh ${CMAKE_BINARY_DIR}
          --run $<TARGET_FILE:vorlane_null_deref>
          ${CMAKE_BINARY_DIR}/wineprefix ${CMAKE_BINARY_DIR}/e2e/template)
set_tests_properties(sandbox PROPERTIES TIMEOUT 180)

# The app tests run each box on copies of both browsers' real profiles.
list(APPEND VORLANE_TEST_FIXTURES_app firefox_profile chromium_profile)
