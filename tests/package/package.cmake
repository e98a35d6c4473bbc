# The installed tree and the Debian package: menu entries and metainfo validate, and the
# package holds exactly the files listed in expected-contents.txt.
add_test(NAME Package.InstalledTreeAndDebianPackage
  COMMAND bash ${KV_TEST_DIR}/check_package.sh ${CMAKE_BINARY_DIR} ${KV_TEST_DIR}/expected-contents.txt)
set_tests_properties(Package.InstalledTreeAndDebianPackage PROPERTIES TIMEOUT 300)
