pragma ComponentBehavior: Bound
import QtQuick
import Voltaro

// The feedback form: the outside page inside the app behind a spinner where pages can be
// embedded, else a note with a button that opens the form in the browser. Layout and styling
// only; what shows is the screen's.
Item {
    id: page

    required property QtObject screen

    readonly property bool compact: height < 760
    readonly property real barTop: compact ? 32 : 54

    onWidthChanged: if (screen) screen.view.setSize(width, height)
    onHeightChanged: if (screen) screen.view.setSize(width, height)
    Component.onCompleted: {
        screen.view.setSize(width, height)
        if (screen.webViewAvailable)
            webHost.embed()
    }

    ScreenBackground {
        anchors.fill: parent
    }

    // Where the page goes. The web engine is an optional part of the installation, so its view
    // is made only where the screen says it is there, and reports its loads to the screen.
    Rectangle {
        id: webHost
        objectName: "webHost"

        property Item webPage: null

        visible: !page.screen.webView.hidden
        x: page.screen.webView.x
        y: page.screen.webView.y
        width: page.screen.webView.width
        height: page.screen.webView.height
        radius: 12
        clip: true
        color: page.screen.webView.backgroundColorName !== ""
               ? Theme.color(page.screen.webView.backgroundColorName) : "transparent"

        function embed() {
            webPage = Qt.createQmlObject(`
                import QtQuick
                import QtWebEngine
                WebEngineView {
                    signal finished()
                    signal failed(bool provisional)
                    property bool committed: false
                    property bool scrolls: false
                    anchors.fill: parent
                    backgroundColor: "transparent"
                    onLoadingChanged: function(info) {
                        if (info.status === WebEngineView.LoadSucceededStatus) {
                            // The form fits its frame: the user does not scroll it.
                            if (!scrolls)
                                runJavaScript("document.documentElement.style.overflow='hidden';"
                                              + "if (document.body) document.body.style.overflow='hidden'")
                            committed = true
                            finished()
                        } else if (info.status === WebEngineView.LoadFailedStatus) {
                            failed(!committed)
                        }
                    }
                }`, webHost, "FeedbackWebPage")
            webPage.url = Qt.binding(() => page.screen.webView.url)
            webPage.scrolls = Qt.binding(() => page.screen.webView.scrollEnabled)
            webPage.settings.showScrollBars = Qt.binding(() => page.screen.webView.scrollEnabled)
            webPage.finished.connect(() => page.screen.webViewDidFinishNavigation())
            webPage.failed.connect(provisional => {
                if (provisional)
                    page.screen.webViewDidFailProvisionalNavigation()
                else
                    page.screen.webViewDidFailNavigation()
            })
        }
    }

    EdgeBand {
        outlet: page.screen.topView
        anchors.top: parent.top
        width: parent.width
        // Half as high as wide, as on a phone; no more than a quarter of a wide window.
        height: Math.min(parent.width / 2, parent.height / 4)
    }

    EdgeBand {
        outlet: page.screen.downView
        anchors.bottom: parent.bottom
        width: parent.width
        // Half as high as wide, as on a phone; no more than a quarter of a wide window.
        height: Math.min(parent.width / 2, parent.height / 4)
    }

    HistorySpinner {
        anchors.centerIn: parent
        visible: !page.screen.activityIndicator.hidden
        running: page.screen.activityIndicator.animating
    }

    // The note, and the way to the browser.
    Column {
        id: note
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.verticalCenter: parent.verticalCenter
        width: Math.min(page.width - 64, 320)
        spacing: 22
        visible: !page.screen.messageLabel.hidden || !page.screen.browserButton.hidden

        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 88
            height: 88
            radius: 44
            color: Theme.color("cellBackgroundColor")
            border.color: Theme.color("separatorColor")
            border.width: 1

            Glyph {
                anchors.centerIn: parent
                width: 44
                height: 44
                lineWidth: 1.6
                lines: "M6.5,5 L17.5,5 Q19.5,5 19.5,7 L19.5,14 Q19.5,16 17.5,16 L11.5,16 "
                       + "L7.5,19.5 L7.5,16 L6.5,16 Q4.5,16 4.5,14 L4.5,7 Q4.5,5 6.5,5 Z"
                accent: "M8.5,9 L15.5,9 M8.5,12 L13,12"
            }
        }

        OutletText {
            outlet: page.screen.messageLabel
            width: parent.width
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignHCenter
            plainSize: 16
            plainColor: Theme.color("textBrightColor")
        }

        PrimaryButton {
            compact: true
            outlet: page.screen.browserButton
            anchors.horizontalCenter: parent.horizontalCenter
            onClicked: page.screen.browserButtonTapped()
        }
    }

    IconButton {
        objectName: "backButton"
        accessibleName: Localized.text("backButtonLabel")
        width: 52
        height: 40
        leadingInset: 12
        y: page.barTop - 2
        lines: "M14.5,5 L7.5,12 L14.5,19"
        onClicked: page.screen.backButtonTapped()
    }
}
