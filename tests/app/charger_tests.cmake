# Tests of the charger pages: voltaro_add_qt_test(...)
voltaro_add_qt_test(test_app_chargers charger_pages_test.cpp)
