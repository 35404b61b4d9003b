#pragma once

#include <string_view>

namespace voltaro::log {

// One category per subsystem. Diagnostics are off unless VOLTARO_DEBUG=1 (or enabled in code).
enum class Category { Platform, Device, Engine, Store, Service, Watch, Screens, App, Cli };

// Writes one diagnostic line to standard error when diagnostics are on.
void debug(Category category, std::string_view line);

bool enabled();
void setEnabled(bool on);  // tests and front-ends; the default comes from VOLTARO_DEBUG

// Tests may capture lines instead of printing them. Pass nullptr to restore printing.
using Sink = void (*)(Category, std::string_view, void* context);
void setSink(Sink sink, void* context);

}  // namespace voltaro::log
