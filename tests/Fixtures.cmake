# Setup steps that run on the Linux side before the test programs that need them.

# Directory links in the test prefix's drive C (see scripts/plant-links.sh for
# the layout). Wine programs cannot create links, so a shell script plants them.
add_test(NAME plant_links
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/plant-links.sh ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(plant_links PROPERTIES FIXTURES_SETUP links)

# Drive V: whose root is a throwaway folder (see scripts/plant-drive.sh).
add_test(NAME plant_drive
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/plant-drive.sh ${CMAKE_BINARY_DIR}/wineprefix)
set_tests_properties(plant_drive PROPERTIES FIXTURES_SETUP drive)
set(VORLANE_TEST_FIXTURES_cleaning links drive)
