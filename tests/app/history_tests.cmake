# Tests of the history pages: voltaro_add_qt_test(...)
voltaro_add_qt_test(test_app_history history_pages_test.cpp)
# The test's own QObject (a stand-in for the desktop's URL handler) needs moc.
set_target_properties(test_app_history PROPERTIES AUTOMOC ON)
