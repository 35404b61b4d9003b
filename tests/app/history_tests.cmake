# Tests of the history pages: voltaro_add_qt_test(...)
