# Checks on both fresh profiles: the trace checker (tests/support/no_trace.py)
# finds every visited site where each browser keeps it, and its decoders work
# on hand-made files; each browser takes a copy of its profile back whole
# (bookmarks, settings, the add-on's data: scripts/reopen-profiles.sh, which
# later runs on cleaned profiles too).
add_test(NAME no_trace_checker
  COMMAND python3 -B ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/test_no_trace.py)
set_tests_properties(no_trace_checker PROPERTIES
  FIXTURES_REQUIRED "firefox_profile;chromium_profile"
  ENVIRONMENT VORLANE_BUILD_DIR=${CMAKE_BINARY_DIR} TIMEOUT 120)

add_test(NAME profiles_reopen
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/reopen-profiles.sh ${CMAKE_BINARY_DIR})
set_tests_properties(profiles_reopen PROPERTIES FIXTURES_REQUIRED "firefox_profile;chromium_profile" TIMEOUT 300)
