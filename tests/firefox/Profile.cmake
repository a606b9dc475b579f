# A real Firefox profile for the firefox tests, made once per build tree with
# firefox-esr and planted in the test prefix as C:\vorlane-firefox-profile\.
add_test(NAME firefox_profile
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/make-firefox-profile.sh ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(firefox_profile PROPERTIES FIXTURES_SETUP firefox_profile TIMEOUT 300)
list(APPEND VORLANE_TEST_FIXTURES_firefox firefox_profile)

# Firefox itself opens the places.sqlite that the firefox tests erased.
add_test(NAME firefox_reopen
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/reopen-firefox-profile.sh ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(firefox_reopen PROPERTIES DEPENDS firefox FIXTURES_REQUIRED firefox_profile TIMEOUT 300)
