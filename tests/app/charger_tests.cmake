# Tests of the charger pages: voltaro_add_qt_test(...)
