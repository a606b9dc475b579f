# A real Chromium profile for the chromium tests, made once per build tree with
# Debian's chromium and planted in the test prefix as C:\vorlane-chromium-profile\.
add_test(NAME chromium_profile
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/make-chromium-profile.sh ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(chromium_profile PROPERTIES FIXTURES_SETUP chromium_profile TIMEOUT 300)
list(APPEND VORLANE_TEST_FIXTURES_chromium chromium_profile)
