# Pages of the charger screens: list(APPEND voltaro_qml_names ...)
