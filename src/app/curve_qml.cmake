# Pages of the charge curve screen: list(APPEND voltaro_qml_names ...)
list(APPEND voltaro_qml_names
  ChargeCurveVC.qml
)
