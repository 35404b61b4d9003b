#pragma once

namespace voltaro::app {

// Readies the embedded web engine, where the application was built with it: call before the
// QGuiApplication is made (the engine needs contexts shared between windows). Setting
// VOLTARO_NO_WEB_ENGINE leaves it out, as if it were not installed.
void prepareWebEngine();

// Whether pages can be embedded: the engine was readied and its QML module is installed. Where
// not, the feedback screen offers the system browser.
bool embeddedWebViewAvailable();

}  // namespace voltaro::app
