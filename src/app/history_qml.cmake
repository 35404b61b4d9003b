# Pages of the history screens: list(APPEND voltaro_qml_names ...)
