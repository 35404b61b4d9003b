import QtQuick

// A page for screens the tests make up.
Rectangle {
    required property QtObject screen
    color: "#203040"
}
