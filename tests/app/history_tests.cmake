# Tests of the history pages: voltaro_add_qt_test(...)
voltaro_add_qt_test(test_app_history history_pages_test.cpp)
# The test's own QObject (a stand-in for the desktop's URL handler) needs moc.
set_target_properties(test_app_history PROPERTIES AUTOMOC ON)
# The feedback form comes from a server on 127.0.0.1.
pkg_check_modules(APP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
target_link_libraries(test_app_history PRIVATE PkgConfig::APP_HTTPLIB)
# The web engine, where installed, draws without a GPU and without its sandbox (tests may run as
# the superuser). The feedback tests run again with the engine hidden.
get_test_property(test_app_history ENVIRONMENT voltaro_history_environment)
set_property(TEST test_app_history APPEND PROPERTY ENVIRONMENT
  "QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu" QTWEBENGINE_DISABLE_SANDBOX=1
  # Debian's web engine frees one of its own objects through a base without a virtual destructor;
  # under the address sanitizer only that check is off, for this program only.
  "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:new_delete_type_mismatch=0")
add_test(NAME test_app_feedback_without_web_engine
         COMMAND test_app_history --gtest_filter=*Feedback*)
set_tests_properties(test_app_feedback_without_web_engine PROPERTIES
  ENVIRONMENT "${voltaro_history_environment};VOLTARO_NO_WEB_ENGINE=1"
  ENVIRONMENT_MODIFICATION "DBUS_SESSION_BUS_ADDRESS=unset:")
