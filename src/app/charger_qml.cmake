# Pages of the charger screens: list(APPEND voltaro_qml_names ...)
list(APPEND voltaro_qml_names
  AddBrandVC.qml
  AddWattsVC.qml
  ChargerCaption.qml
  ChargerCard.qml
  ChargerCheckMark.qml
  ChargerIconButton.qml
  ChargerListVC.qml
  ChargerNavigationBar.qml
  ChargerPill.qml
  ChargerPrimaryButton.qml
  ChargerSearchField.qml
  ChargerSwipeBack.qml
  SelectModelVC.qml
)
