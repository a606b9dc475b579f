# The trace checker (tests/support/no_trace.py) on hand-made files whose format
# hides a host, and on both fresh profiles: it finds every visited site where
# each browser keeps it. (scripts/reopen-profiles.sh, which starts both
# browsers on copies of profiles, runs in the e2e_no_trace_pass scenario on
# the cleaned ones.)
add_test(NAME no_trace_checker
  COMMAND python3 -B ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/test_no_trace.py)
set_tests_properties(no_trace_checker PROPERTIES
  FIXTURES_REQUIRED "firefox_profile;chromium_profile"
  ENVIRONMENT VORLANE_BUILD_DIR=${CMAKE_BINARY_DIR} TIMEOUT 120)
