# Pages of the charger screens: list(APPEND voltaro_qml_names ...)
list(APPEND voltaro_qml_names
  AddBrandVC.qml
  AddWattsVC.qml
  ChargerCheckMark.qml
  ChargerListVC.qml
  ChargerSearchField.qml
  ChargerSwipeBack.qml
  SelectModelVC.qml
)
