# Pages of the history screens: list(APPEND voltaro_qml_names ...)
list(APPEND voltaro_qml_names
  FeedbackVC.qml
  HistoryFigure.qml
  HistorySpinner.qml
  HistoryTestCard.qml
  TestRecordsVC.qml
)
